// The table of every command of the main window: menu, caption, id, handler pattern, enabling
// rule, completion text, shortcuts and icon; and the one function that decides which are enabled.
// The commands that run a declared operation take their completion text, and what they need
// before running, from the declaration whose command id they carry.
#pragma once

#include <span>
#include <string_view>

namespace sonarium {

enum class MenuId {
    File,
    FileImport,
    FileExport,
    Edit,
    EditFade,
    View,
    Tool,
    Synthesis,
    Effect,
    Interaction,
    Option,
    Window,
    Help,
    None, // toolbar or control bar only
};

enum class CommandPattern {
    Operation, // runs the declared operation of its id (none declared yet: shown, never enabled)
               // with the after-operation step
    Source,    // needs a Source file: stop playback, dialog
    Plain,     // dialog, then the Activity text when there is one (a declared operation's
               // job may run behind it, without the after-operation step)
    List,      // working-list and file commands
    Playback,  // Play, Play Looped, Stop
    Framework, // window management, printing, quitting, recent files, bars
    NoHandler, // shown, never enabled
    Disabled,  // shown, never enabled
};

enum class EnableRule {
    Always,
    SourceSelected,
    TwoFiles,
    SourceMono,
    SourceStereo,
    TwoFilesBothMono,
    PlayAllowed,
    PlayLoopedAllowed,
    Playing,
    SourceAndWindow,
    ActiveView,   // a waveform window is active (Close, Print, Duplicate)
    ChainBack,    // the Source is a result whose record names the file it was made from
    ChainForward, // a recorded result was made from the Source
    Never,
};

struct CommandSpec {
    int id;
    MenuId menu;
    std::string_view
        caption; // menu text with its mnemonic; "\t" and the shortcut are not part of it
    CommandPattern pattern;
    EnableRule rule;
    // Completion text written into the Activity field, or empty. An operation's comes from its
    // declaration unless the row names one of its own (where the declaration's names another
    // operation, as Fade In's "Reverse Selection - done").
    std::string_view activity;
    std::string_view shortcuts; // key sequences separated by ';' ("Ctrl+O", "V", "Alt+Space")
    // Icon of its menu item and toolbar button, or empty for none: a standard icon name that the
    // desktop's theme may supply, or one of the program's own ("sonarium-..."). Every name has a
    // drawing shipped with the program, shown where the theme has none.
    std::string_view icon;
    bool separatorBefore = false;
    bool keepsPlaying = false; // an operation that leaves playback running while it works
    // An operation run as a plain command (Crop, Select, Selection Position): no after-operation
    // step.
    bool afterOperation = true;
};

// Everything that decides whether a command is enabled.
struct EnablingState {
    int selectionState = 0; // 0 no Source, 1 Source (Aux the same), 2 Source and another Aux
    bool sourceIsStereo = false;
    bool auxIsStereo = false;
    bool playAllowed = false;
    bool playLoopedAllowed = false;
    bool playing = false;
    bool waveformWindowExists = false;
    bool activeView = false;
    bool chainBack = false;    // Back To The Source has a file to go to
    bool chainForward = false; // Forward To The Result has a file to go to
};

// Command ids the main window refers to by name.
namespace cmd {
constexpr int kAddToList = 32833;
constexpr int kClearList = 32913;
constexpr int kClearTempDir = 32948;
constexpr int kOpen = 57601;
constexpr int kRename = 32834;
constexpr int kSaveAs = 33040;
constexpr int kClose = 57602;
constexpr int kPrint = 57609;
constexpr int kQuit = 57665;
constexpr int kPlay = 32826;
constexpr int kPlayLooped = 32832;
constexpr int kStop = 32827;
constexpr int kCopyToClipboard = 57634;
constexpr int kPasteClipboard = 57637;
constexpr int kPlayClipboardLooped = 32969;
constexpr int kInsertClipboard = 33063;
constexpr int kSelectAll = 33056;
constexpr int kToolbar = 59392;
constexpr int kStatusBar = 59393;
constexpr int kSpecialToolbars = 32817;
constexpr int kSelectOutputPath = 32835;
constexpr int kPreferences = 32912;
constexpr int kArrangeIcons = 57649;
constexpr int kCascade = 57650;
constexpr int kDuplicateWindow = 57648;
constexpr int kTile = 57651;
constexpr int kCloseAll = 32838;
constexpr int kHistory = 33069;
constexpr int kHelpTopics = 57667;
constexpr int kHelp = 57670;
constexpr int kContextHelp = 57669;
constexpr int kDefaultHelp = 57671;
constexpr int kHelpButton = 33035;
constexpr int kOpenTemporaryFolder = 33059;
constexpr int kAbout = 57664;
constexpr int kSystemInformation = 32929;
constexpr int kWebSite = 33037;
constexpr int kCalculator = 33047;
constexpr int kBpmCalculator = 33048;
constexpr int kMixer = 33060;
constexpr int kAddButton = 1082;
constexpr int kRecentFile = 57616;
constexpr int kImportAudio = 33100;
constexpr int kImportEightBit = 33053;
constexpr int kImportRaw = 33044;
constexpr int kExportEightBit = 33054;
constexpr int kExportAs = 33101;
constexpr int kExportSourceToMp3 = 33041;
constexpr int kExportAllToMp3 = 33042;
// Toolbar buttons that have no menu entry and no handler.
constexpr int kProcessSourceFiles = 34001;
constexpr int kProcessAllFiles = 34002;
constexpr int kCrossfade = 34003;
constexpr int kUnnamed1 = 34004;
constexpr int kUnnamed2 = 34005;
constexpr int kUnnamed3 = 34006;
// Beyond the original commands: playing the selection, zooming the active waveform.
constexpr int kPlaySelection = 34010;
constexpr int kZoomIn = 34011;
constexpr int kZoomOut = 34012;
constexpr int kZoomToSelection = 34013;
constexpr int kZoomFit = 34014;
// What made each result: its command, the chain of commands, and walking that chain.
constexpr int kCopyAsCommand = 34020;
constexpr int kExportChain = 34021;
constexpr int kBackToTheSource = 32893;
constexpr int kForwardToTheResult = 34022;
constexpr int kSeparator = 0;
} // namespace cmd

std::span<const CommandSpec> commandTable();
const CommandSpec* findCommand(int id);
// The completion text of a command that is not an operation ("Load file - done"), or empty.
std::string_view activityText(int id);
bool isCommandEnabled(const CommandSpec& command, const EnablingState& state);

// The menus of the menu bar in order; the menu a submenu sits in (MenuId::None for a menu of the
// bar); the title of a menu or submenu, with its mnemonic.
std::span<const MenuId> topMenus();
MenuId parentMenu(MenuId menu);
std::string_view menuTitle(MenuId menu);
// The toolbars' buttons in order (cmd::kSeparator = a bar).
std::span<const int> toolsToolbar();
std::span<const int> effectsToolbar();
std::span<const int> synthesisToolbar();

} // namespace sonarium
