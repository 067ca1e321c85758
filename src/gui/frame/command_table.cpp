// The main window's commands as data, in menu order, and the enabling rules over them.
#include "frame/command_table.h"

#include <algorithm>
#include <array>

namespace sonarium {

namespace {

using M = MenuId;
using P = CommandPattern;
using R = EnableRule;

constexpr CommandSpec kCommands[] = {
    // File
    {57601, M::File, "&Open...", P::List, R::Always, "Load file - done", "Ctrl+O", "document-open"},
    {32833, M::File, "&Add to List...", P::List, R::Always, "Add file - done", "", ""},
    {32914, M::File, "&Test List Files", P::NoHandler, R::Never, "", "",
     "sonarium-test-list-files"},
    {32913, M::File, "Clear &List", P::List, R::SourceSelected, "Clear list - done", "",
     "edit-clear", true},
    {32948, M::File, "Clear Temporary &Directory", P::List, R::Always, "Clear temp dir - done", "",
     "user-trash"},
    {32834, M::File, "&Rename...", P::List, R::SourceSelected, "", "", "", true},
    {33040, M::File, "&Save As...", P::List, R::SourceSelected, "", "Ctrl+S", "document-save-as"},
    {34021, M::File, "Export C&hain...", P::Plain, R::SourceSelected, "", "", ""},
    {57602, M::File, "&Close", P::Framework, R::ActiveView, "", "", ""},
    {33100, M::FileImport, "Import &audio file...", P::Plain, R::Always, "Import file - done", "",
     ""},
    {33053, M::FileImport, "Import 8 bit &wave file", P::Plain, R::Always, "", "", ""},
    {33044, M::FileImport, "&Import RAW file...", P::Plain, R::Always, "Import file - done", "",
     ""},
    {33101, M::FileExport, "Export &as...", P::Plain, R::SourceSelected, "Export file - done", "",
     ""},
    {33054, M::FileExport, "Export to 8 bit wave &file", P::Plain, R::SourceSelected, "", "", ""},
    {33041, M::FileExport, "&Export source to MP3...", P::Plain, R::SourceSelected, "", "", ""},
    {33042, M::FileExport, "E&xport all to MP3", P::Plain, R::SourceSelected, "", "", ""},
    {57609, M::File, "Print", P::Framework, R::ActiveView, "", "Ctrl+P", "", true},
    {57616, M::File, "Recent &File", P::Framework, R::Always, "", "", "", true},
    {57665, M::File, "&Quit", P::Framework, R::Always, "", "Ctrl+Q", "", true},
    // Edit
    {33052, M::Edit, "Record", P::Disabled, R::Never, "", "Ctrl+R", "media-record"},
    {32826, M::Edit, "&Play", P::Playback, R::PlayAllowed, "", "Space", "media-playback-start"},
    {32832, M::Edit, "Play &Looped", P::Playback, R::PlayLoopedAllowed, "", "Alt+Space",
     "media-playlist-repeat"},
    {32827, M::Edit, "&Stop", P::Playback, R::Playing, "", "Shift+Space;Esc",
     "media-playback-stop"},
    {34010, M::Edit, "Play Selectio&n", P::Playback, R::ActiveView, "", "Ctrl+Space",
     "sonarium-edit-play-selection"},
    {33055, M::Edit, "Pla&y Panel", P::Disabled, R::Never, "", "", ""},
    {57634, M::Edit, "Copy to Clip&board", P::Plain, R::SourceSelected, "Copy to clipboard - done",
     "Ctrl+C;Ctrl+Ins", "edit-copy", true},
    {57637, M::Edit, "Paste Clipboard to &File", P::Plain, R::Always, "Paste clipboard - done",
     "Ctrl+V;Shift+Ins", "edit-paste"},
    {32969, M::Edit, "Play Clipboard L&ooped", P::Plain, R::Always, "", "",
     "sonarium-edit-play-clipboard-looped"},
    {34020, M::Edit, "Copy as Comman&d", P::Plain, R::ActiveView, "", "Ctrl+Shift+C", ""},
    {33061, M::Edit, "Select...", P::Operation, R::SourceSelected, "", "", "sonarium-edit-select",
     true, false, false},
    {33056, M::Edit, "Selec&t All", P::Framework, R::SourceSelected, "", "Ctrl+A", ""},
    {33057, M::Edit, "&Extract...", P::Operation, R::SourceSelected, "", "",
     "sonarium-edit-extract", true},
    {33058, M::Edit, "E&xtract Selection / Crop", P::Operation, R::SourceSelected, "", "",
     "sonarium-edit-extract", false, false, false},
    {33068, M::Edit, "Remove...", P::Operation, R::SourceSelected, "", "", "sonarium-edit-cut"},
    {57635, M::Edit, "Remove Selection / Cut", P::Operation, R::SourceSelected, "", "Ctrl+X",
     "sonarium-edit-cut"},
    {33065, M::Edit, "Mute...", P::Operation, R::SourceSelected, "Mute - done", "",
     "sonarium-edit-mute"},
    {33066, M::Edit, "Mute Selection", P::Operation, R::SourceSelected, "", "",
     "sonarium-edit-mute"},
    {33050, M::Edit, "Reverse", P::Operation, R::SourceSelected, "", "", "sonarium-edit-reverse",
     true},
    {33070, M::Edit, "Invert / Flip", P::Operation, R::SourceSelected, "Invert - done", "",
     "sonarium-edit-invert"},
    {33075, M::EditFade, "Fade In", P::Operation, R::SourceSelected, "Fade In - done", "",
     "sonarium-edit-fade-in"},
    {33076, M::EditFade, "Fade Out", P::Operation, R::SourceSelected, "Fade Out - done", "",
     "sonarium-edit-fade-out"},
    {33062, M::Edit, "&Insert Silence", P::Operation, R::SourceSelected, "", "",
     "sonarium-edit-insert-silence", true},
    {33063, M::Edit, "Insert Clipboard", P::Operation, R::SourceSelected, "", "",
     "sonarium-edit-insert-clipboard"},
    {33064, M::Edit, "Insert Auxiliary", P::Operation, R::TwoFiles, "", "",
     "sonarium-edit-insert-auxiliary"},
    {33034, M::Edit, "&Merge", P::Operation, R::SourceSelected, "", "", "sonarium-edit-merge",
     true},
    // View
    {34011, M::View, "Zoom &In", P::Framework, R::ActiveView, "", "+;=", "zoom-in"},
    {34012, M::View, "Zoom &Out", P::Framework, R::ActiveView, "", "-", "zoom-out"},
    {34013, M::View, "Zoom to &Selection", P::Framework, R::ActiveView, "", "",
     "sonarium-view-zoom-selection"},
    {34014, M::View, "&Fit", P::Framework, R::ActiveView, "", "Ctrl+0", "zoom-fit-best"},
    // Tool
    {32943, M::Tool, "&Group to stereo", P::Operation, R::TwoFilesBothMono, "", "",
     "sonarium-tool-group-to-stereo"},
    {32946, M::Tool, "Mi&x", P::Operation, R::TwoFiles, "", "", "sonarium-tool-mix"},
    {32939, M::Tool, "&Mono to stereo", P::Operation, R::SourceMono, "", "",
     "sonarium-tool-mono-to-stereo"},
    {32940, M::Tool, "Split stereo &channels", P::Operation, R::SourceStereo, "", "",
     "sonarium-tool-split-stereo"},
    {32938, M::Tool, "&Stereo to mono", P::Operation, R::SourceStereo, "", "",
     "sonarium-tool-stereo-to-mono"},
    {32964, M::Tool, "Ch&annel Conversion", P::Operation, R::SourceSelected, "", "",
     "sonarium-tool-channel-conversion", true},
    {32959, M::Tool, "Sampling &Rate Conversion", P::Operation, R::SourceSelected, "", "",
     "sonarium-tool-sampling-rate"},
    {32967, M::Tool, "File Inf&ormation", P::Operation, R::SourceSelected, "", "",
     "sonarium-tool-file-information", true},
    {32968, M::Tool, "File S&tatistics", P::Plain, R::SourceSelected, "", "",
     "sonarium-tool-file-statistics"},
    {32970, M::Tool, "File A&nalysis", P::NoHandler, R::Never, "", "",
     "sonarium-tool-file-analysis"},
    {33048, M::Tool, "&BPM calculator", P::Plain, R::Always, "", "", "", true},
    {33047, M::Tool, "&Windows calculator", P::Plain, R::Always, "", "", ""},
    {32929, M::Tool, "System &Information", P::Plain, R::Always, "System nfo - done", "",
     "computer"},
    // Synthesis
    {32772, M::Synthesis, "&Affine", P::Operation, R::Always, "", "Shift+A",
     "sonarium-synthesis-affine"},
    {32930, M::Synthesis, "File &to Signal", P::Operation, R::SourceSelected, "", "Shift+T",
     "sonarium-synthesis-file-to-signal"},
    {32774, M::Synthesis, "&Fractal", P::Operation, R::Always, "", "Shift+F",
     "sonarium-synthesis-fractal"},
    {32776, M::Synthesis, "&Gaussian", P::Operation, R::Always, "", "Shift+G",
     "sonarium-synthesis-gaussian", false, true},
    {32897, M::Synthesis, "S&hadok", P::Operation, R::Always, "", "Shift+H",
     "sonarium-synthesis-shadok"},
    {32778, M::Synthesis, "&Simple", P::Operation, R::Always, "", "Shift+S",
     "sonarium-synthesis-simple"},
    // Effect
    {32881, M::Effect, "&Bast", P::Operation, R::SourceSelected, "", "B", "sonarium-effect-bast"},
    {32780, M::Effect, "Brown &Out", P::Operation, R::SourceSelected, "", "O",
     "sonarium-effect-brown-out"},
    {33071, M::Effect, "&Fade", P::Operation, R::SourceSelected, "", "", "sonarium-effect-fade"},
    {32901, M::Effect, "Fre&quential Projection", P::Operation, R::SourceSelected, "", "Q",
     "sonarium-effect-frequential-projection"},
    {32904, M::Effect, "&Inertia", P::Operation, R::SourceSelected, "", "I",
     "sonarium-effect-inertia"},
    {32807, M::Effect, "&Zeta Pitch", P::Operation, R::SourceSelected, "", "J",
     "sonarium-effect-zeta-pitch"},
    {33046, M::Effect, "&Normalize", P::Operation, R::SourceSelected, "", "",
     "sonarium-effect-normalize"},
    {32786, M::Effect, "&Phase Shift", P::Operation, R::SourceSelected, "", "P",
     "sonarium-effect-phase-shift"},
    {32911, M::Effect, "&Resync Gapper", P::Operation, R::SourceSelected, "", "R",
     "sonarium-effect-resync-gapper"},
    {32790, M::Effect, "S&aturate", P::Operation, R::SourceSelected, "", "A",
     "sonarium-effect-saturate"},
    {32900, M::Effect, "S&hadok", P::Operation, R::SourceSelected, "", "H",
     "sonarium-effect-shadok"},
    {32784, M::Effect, "Si&mple Formula", P::Operation, R::SourceSelected, "", "F",
     "sonarium-effect-simple-formula"},
    {32924, M::Effect, "Sinus &Compression", P::Operation, R::SourceSelected, "", "C",
     "sonarium-effect-sinus-compression"},
    {32792, M::Effect, "&Smooth", P::Operation, R::SourceSelected, "", "S",
     "sonarium-effect-smooth"},
    {32933, M::Effect, "St&epper", P::Operation, R::SourceSelected, "", "",
     "sonarium-effect-stepper"},
    {32783, M::Effect, "S&ubstract", P::Operation, R::SourceSelected, "", "U",
     "sonarium-effect-substract"},
    {32794, M::Effect, "&Volume", P::Operation, R::SourceSelected, "", "V",
     "sonarium-effect-volume"},
    {32824, M::None, "Silent zone", P::Operation, R::SourceSelected, "", "",
     "sonarium-effect-silent-zone"},
    // Interaction
    {32903, M::Interaction, "&Compression", P::Operation, R::TwoFiles, "", "",
     "sonarium-interaction-compression"},
    {32796, M::Interaction, "&Doppler", P::Operation, R::TwoFiles, "", "Alt+D",
     "sonarium-interaction-doppler"},
    {32798, M::Interaction, "&Formula", P::Operation, R::TwoFiles, "", "Alt+F",
     "sonarium-interaction-formula"},
    {33038, M::Interaction, "&Interlace", P::Operation, R::SourceSelected, "", "",
     "sonarium-interaction-interlace"},
    {32799, M::Interaction, "&Maximize/Minimize", P::Operation, R::TwoFiles, "", "Alt+M",
     "sonarium-interaction-maximize-minimize"},
    {32801, M::Interaction, "Multipl&y", P::Operation, R::SourceSelected, "", "Alt+Y",
     "sonarium-interaction-multiply"},
    {32884, M::Interaction, "S&hadok", P::Operation, R::TwoFiles, "", "Alt+H",
     "sonarium-interaction-shadok"},
    {32883, M::Interaction, "&Smeuh", P::Operation, R::TwoFiles, "", "Alt+S",
     "sonarium-interaction-smeuh"},
    // Option
    {59392, M::Option, "&Toolbar", P::Framework, R::Always, "", "", ""},
    {59393, M::Option, "&Status Bar", P::Framework, R::Always, "", "", ""},
    {32817, M::Option, "Special Tool&bars", P::Plain, R::Always, "", "", ""},
    {32835, M::Option, "Select &Output Path", P::Plain, R::Always, "", "", "", true},
    {32912, M::Option, "&Preferences", P::Plain, R::Always, "Prefs Definition - done", "",
     "preferences-system"},
    // Window
    {57649, M::Window, "Arrange &Icons", P::Framework, R::ActiveView, "", "", ""},
    {57650, M::Window, "Ca&scade", P::Framework, R::ActiveView, "", "", ""},
    {57602, M::Window, "&Close", P::Framework, R::ActiveView, "", "", ""},
    {57648, M::Window, "&Duplicate Window", P::Framework, R::ActiveView, "", "", ""},
    {57651, M::Window, "&Tile", P::Framework, R::ActiveView, "", "", ""},
    {32838, M::Window, "Close &All", P::List, R::SourceAndWindow, "Close all - done", "",
     "window-close", true},
    {32895, M::Window, "A&rborescence", P::NoHandler, R::Never, "", "", "sonarium-arborescence"},
    {33069, M::Window, "&History", P::Plain, R::SourceSelected, "Show History - done", "", "",
     true},
    {33077, M::Window, "Selection Position", P::Operation, R::SourceSelected, "", "", "", false,
     false, false},
    {33059, M::Window, "Open Temporary &Folder", P::Plain, R::Always, "", "", "", true},
    {33060, M::Window, "Open &Windows Mixer", P::Plain, R::Always, "", "", ""},
    // Help
    {57667, M::Help, "&Help Topics", P::Plain, R::Always, "Launch help - done", "", "help-browser"},
    {57670, M::None, "Help", P::Plain, R::Always, "Launch help - done", "F1", ""},
    {57669, M::None, "Context Help", P::Plain, R::Always, "Launch help - done", "Shift+F1", ""},
    {57671, M::None, "Default Help", P::Plain, R::Always, "Launch help - done", "", ""},
    {33035, M::None, "help", P::Plain, R::Always, "Launch help - done", "", "help-browser"},
    {57664, M::Help, "&About sonarium...", P::Plain, R::Always, "", "", "help-about", true},
    {33037, M::Help, "&sonarium on the web", P::Plain, R::Always, "", "", ""},
    // Toolbar, accelerator and control bar only
    {32893, M::None, "Back To The Source", P::Plain, R::ChainBack, "", "Ctrl+Backspace;Ctrl+Z",
     "edit-undo"},
    {34022, M::None, "Forward To The Result", P::Plain, R::ChainForward, "", "Ctrl+Shift+Z",
     "edit-redo"},
    {34001, M::None, "Process Source Files", P::NoHandler, R::Never, "", "",
     "sonarium-process-source-files"},
    {34002, M::None, "Process All Files", P::NoHandler, R::Never, "", "",
     "sonarium-process-all-files"},
    {34003, M::None, "Crossfade", P::NoHandler, R::Never, "", "", "sonarium-interaction-crossfade"},
    {34004, M::None, "", P::NoHandler, R::Never, "", "", "sonarium-spare"},
    {34005, M::None, "", P::NoHandler, R::Never, "", "", "sonarium-spare"},
    {34006, M::None, "", P::NoHandler, R::Never, "", "", "sonarium-spare"},
    {1082, M::None, "&Add...", P::List, R::Always, "Add file - done", "", ""},
};

constexpr int kTools[] = {57601, 33040, 0,     33052, 32826, 32832, 32827, 34010, 0,     34011,
                          34012, 34013, 34014, 0,     32938, 32940, 32946, 32943, 32939, 0,
                          32964, 33034, 32959, 0,     57634, 57637, 32969, 0,     32967, 32968,
                          32970, 0,     32912, 34001, 34002, 32929, 0,     32914, 32913, 32948,
                          0,     32895, 32893, 32838, 0,     57664, 33035};

constexpr int kEffects[] = {32780, 32933, 32790, 32783, 32784, 32792, 32807, 32794, 33071, 33046,
                            32901, 32881, 32911, 32924, 32824, 32900, 0,     32786, 32904};

constexpr int kSynthesis[] = {32776, 32778, 32897, 32772, 32930, 32774, 0,     33038, 32801, 32799,
                              32798, 32903, 34003, 32883, 32796, 32884, 34004, 34005, 34006};

} // namespace

std::span<const CommandSpec> commandTable() {
    return kCommands;
}

const CommandSpec* findCommand(int id) {
    auto it = std::find_if(std::begin(kCommands), std::end(kCommands),
                           [id](const CommandSpec& c) { return c.id == id; });
    return it == std::end(kCommands) ? nullptr : &*it;
}

std::string_view activityText(int id) {
    const CommandSpec* command = findCommand(id);
    return command != nullptr ? command->activity : std::string_view();
}

bool isCommandEnabled(const CommandSpec& command, const EnablingState& s) {
    const bool source = s.selectionState >= 1;
    const bool two = s.selectionState == 2;
    switch (command.rule) {
    case EnableRule::Always:
        return true;
    case EnableRule::SourceSelected:
        return source;
    case EnableRule::TwoFiles:
        return two;
    case EnableRule::SourceMono:
        return source && !s.sourceIsStereo;
    case EnableRule::SourceStereo:
        return source && s.sourceIsStereo;
    case EnableRule::TwoFilesBothMono:
        return two && !s.sourceIsStereo && !s.auxIsStereo;
    case EnableRule::PlayAllowed:
        return source && s.playAllowed;
    case EnableRule::PlayLoopedAllowed:
        return source && s.playLoopedAllowed;
    case EnableRule::Playing:
        return s.playing;
    case EnableRule::SourceAndWindow:
        return source && s.waveformWindowExists;
    case EnableRule::ActiveView:
        return s.activeView;
    case EnableRule::ChainBack:
        return s.chainBack;
    case EnableRule::ChainForward:
        return s.chainForward;
    case EnableRule::Never:
        return false;
    }
    return false;
}

std::span<const MenuId> topMenus() {
    static constexpr MenuId kOrder[] = {
        MenuId::File,   MenuId::Edit,        MenuId::View,   MenuId::Tool,   MenuId::Synthesis,
        MenuId::Effect, MenuId::Interaction, MenuId::Option, MenuId::Window, MenuId::Help};
    return kOrder;
}

MenuId parentMenu(MenuId menu) {
    switch (menu) {
    case MenuId::FileImport:
    case MenuId::FileExport:
        return MenuId::File;
    case MenuId::EditFade:
        return MenuId::Edit;
    default:
        return MenuId::None;
    }
}

std::string_view menuTitle(MenuId menu) {
    // Mnemonics stay clear of the Alt+letter accelerators (D, F, H, M, S, Y).
    switch (menu) {
    case MenuId::File:
        return "Fi&le";
    case MenuId::FileImport:
        return "&Import";
    case MenuId::FileExport:
        return "&Export";
    case MenuId::Edit:
        return "&Edit";
    case MenuId::EditFade:
        return "F&ade";
    case MenuId::View:
        return "&View";
    case MenuId::Tool:
        return "&Tool";
    case MenuId::Synthesis:
        return "Sy&nthesis";
    case MenuId::Effect:
        return "Effe&ct";
    case MenuId::Interaction:
        return "&Interaction";
    case MenuId::Option:
        return "&Option";
    case MenuId::Window:
        return "&Window";
    case MenuId::Help:
        return "Hel&p";
    case MenuId::None:
        break;
    }
    return "";
}

std::span<const int> toolsToolbar() {
    return kTools;
}
std::span<const int> effectsToolbar() {
    return kEffects;
}
std::span<const int> synthesisToolbar() {
    return kSynthesis;
}

} // namespace sonarium
