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
    {57601, M::File, "&Open...", P::List, R::Always, "Load file - done", "Ctrl+O", ""},
    {32833, M::File, "&Add to List...", P::List, R::Always, "Add file - done", "", ""},
    {32914, M::File, "&Test List Files", P::NoHandler, R::Never, "", "", ""},
    {32913, M::File, "Clear &List", P::List, R::SourceSelected, "Clear list - done", "", "", true},
    {32948, M::File, "Clear Temporary &Directory", P::List, R::Always, "Clear temp dir - done", "",
     ""},
    {32834, M::File, "&Rename...", P::List, R::SourceSelected, "", "", "", true},
    {33040, M::File, "&Save As...", P::List, R::SourceSelected, "", "Ctrl+S", ""},
    {57602, M::File, "&Close", P::Framework, R::ActiveView, "", "", ""},
    {33053, M::FileImport, "Import 8 bit &wave file", P::Plain, R::Always, "", "", ""},
    {33044, M::FileImport, "&Import RAW file...", P::Plain, R::Always, "Import file - done", "",
     ""},
    {33054, M::FileExport, "Export to 8 bit wave &file", P::Plain, R::SourceSelected, "", "", ""},
    {33041, M::FileExport, "&Export source to MP3...", P::Plain, R::SourceSelected, "", "", ""},
    {33042, M::FileExport, "E&xport all to MP3", P::Plain, R::SourceSelected, "", "", ""},
    {57609, M::File, "Print", P::Framework, R::ActiveView, "", "Ctrl+P", "", true},
    {57616, M::File, "Recent File", P::Framework, R::Always, "", "", "", true},
    {57665, M::File, "&Quit", P::Framework, R::Always, "", "Ctrl+Q", "", true},
    // Edit
    {33052, M::Edit, "Record", P::Disabled, R::Never, "", "Ctrl+R", ""},
    {32826, M::Edit, "&Play", P::Playback, R::PlayAllowed, "", "Space", ""},
    {32832, M::Edit, "Play &Looped", P::Playback, R::PlayLoopedAllowed, "", "Alt+Space", ""},
    {32827, M::Edit, "&Stop", P::Playback, R::Playing, "", "Shift+Space;Esc", ""},
    {33055, M::Edit, "Pla&y Panel", P::Disabled, R::Never, "", "", ""},
    {57634, M::Edit, "Copy to Clip&board", P::Plain, R::SourceSelected, "", "Ctrl+C;Ctrl+Ins", "",
     true},
    {57637, M::Edit, "Paste Clipboard to &File", P::Plain, R::Always, "", "Ctrl+V;Shift+Ins", ""},
    {32969, M::Edit, "Play Clipboard &Looped", P::Plain, R::Always, "", "", ""},
    {33061, M::Edit, "Select...", P::Plain, R::SourceSelected, "", "", "", true},
    {33056, M::Edit, "Select &All", P::Framework, R::SourceSelected, "", "Ctrl+A", ""},
    {33057, M::Edit, "&Extract...", P::Source, R::SourceSelected, "Extract - done", "", "", true},
    {33058, M::Edit, "E&xtract Selection / Crop", P::Plain, R::SourceSelected, "", "", ""},
    {33068, M::Edit, "Remove...", P::Source, R::SourceSelected, "Remove - done", "", ""},
    {57635, M::Edit, "Remove Selection / Cut", P::Source, R::SourceSelected,
     "Remove selection - done", "Ctrl+X", ""},
    {33065, M::Edit, "Mute...", P::Source, R::SourceSelected, "Remove - done", "", ""},
    {33066, M::Edit, "Mute Selection", P::Source, R::SourceSelected, "Mute Selection - done", "",
     ""},
    {33050, M::Edit, "Reverse", P::Source, R::SourceSelected, "Reverse Selection - done", "", "",
     true},
    {33070, M::Edit, "Invert / Flip", P::Source, R::SourceSelected, "Reverse Selection - done", "",
     ""},
    {33075, M::EditFade, "Fade In", P::Source, R::SourceSelected, "Reverse Selection - done", "",
     ""},
    {33076, M::EditFade, "Fade Out", P::Source, R::SourceSelected, "Reverse Selection - done", "",
     ""},
    {33062, M::Edit, "&Insert Silence", P::Source, R::SourceSelected, "Insert silence - done", "",
     "", true},
    {33063, M::Edit, "Insert Clipboard", P::Source, R::SourceSelected, "Insert clipboard - done",
     "", ""},
    {33064, M::Edit, "Insert Auxiliary", P::Source, R::TwoFiles, "Insert auxiliary - done", "", ""},
    {33034, M::Edit, "&Merge", P::Source, R::SourceSelected, "Merge - done", "", "", true},
    // Tool
    {32943, M::Tool, "&Group to stereo", P::Source, R::TwoFilesBothMono, "Group to stereo - done",
     "", ""},
    {32946, M::Tool, "Mi&x", P::Source, R::TwoFiles, "Mix - done", "", ""},
    {32939, M::Tool, "&Mono to stereo", P::Source, R::SourceMono, "Mono to stereo - done", "", ""},
    {32940, M::Tool, "Split stereo &channels", P::Source, R::SourceStereo, "Stereo split - done",
     "", ""},
    {32938, M::Tool, "&Stereo to mono", P::Source, R::SourceStereo, "Stereo to mono - done", "",
     ""},
    {32964, M::Tool, "Ch&annel Conversion", P::Source, R::SourceSelected,
     "Channel conversion - done", "", "", true},
    {32959, M::Tool, "Sampling &Rate Conversion", P::Source, R::SourceSelected,
     "Sampling conversion - done", "", ""},
    {32967, M::Tool, "File Inf&ormation", P::Source, R::SourceSelected, "", "", "", true},
    {32968, M::Tool, "File S&tatistics", P::Plain, R::SourceSelected, "", "", ""},
    {32970, M::Tool, "File A&nalysis", P::NoHandler, R::Never, "", "", ""},
    {33048, M::Tool, "BPM calculat&or", P::Plain, R::Always, "", "", "", true},
    {33047, M::Tool, "&Windows calculator", P::Plain, R::Always, "", "", ""},
    {32929, M::Tool, "System &Information", P::Plain, R::Always, "System nfo - done", "", ""},
    // Synthesis
    {32772, M::Synthesis, "&Affine", P::Synthesis, R::Always, "Affine syn - done", "Shift+A", ""},
    {32930, M::Synthesis, "File &to Signal", P::Disabled, R::Never, "", "Shift+T", ""},
    {32774, M::Synthesis, "&Fractal", P::Disabled, R::Never, "", "Shift+F", ""},
    {32776, M::Synthesis, "&Gaussian", P::Synthesis, R::Always, "Gaussian syn - done", "Shift+G",
     ""},
    {32897, M::Synthesis, "S&hadok", P::Synthesis, R::Always, "Shadok syn - done", "Shift+H", ""},
    {32778, M::Synthesis, "&Simple", P::Synthesis, R::Always, "Simple syn - done", "Shift+S", ""},
    // Effect
    {32881, M::Effect, "&Bast", P::Source, R::SourceSelected, "Bast eff - done", "B", ""},
    {32780, M::Effect, "Brown &Out", P::Source, R::SourceSelected, "Brown eff - done", "O", ""},
    {33071, M::Effect, "&Fade", P::Source, R::SourceSelected, "Fade - done", "", ""},
    {32901, M::Effect, "Fre&quential Projection", P::Source, R::SourceSelected,
     "Freq Proj eff - done", "Q", ""},
    {32904, M::Effect, "&Inertia", P::Disabled, R::Never, "", "I", ""},
    {32807, M::Effect, "&Zeta Pitch", P::Source, R::SourceSelected, "Zeta Pitch - done", "J", ""},
    {33046, M::Effect, "&Normalize", P::Source, R::SourceSelected, "Normalize eff - done", "",
     "normalize"},
    {32786, M::Effect, "&Phase Shift", P::Disabled, R::Never, "", "P", ""},
    {32911, M::Effect, "&Resync Gapper", P::Source, R::SourceSelected, "Resync Gapper eff - done",
     "R", ""},
    {32790, M::Effect, "S&aturate", P::Source, R::SourceSelected, "Saturate eff - done", "A",
     "saturate"},
    {32900, M::Effect, "S&hadok", P::Source, R::SourceSelected, "Shadok eff - done", "H", ""},
    {32784, M::Effect, "Sim&ple &Formula", P::Source, R::SourceSelected, "Formula eff - done", "F",
     ""},
    {32924, M::Effect, "Sinus &Compression", P::Source, R::SourceSelected, "Comp eff - done", "C",
     ""},
    {32792, M::Effect, "&Smooth", P::Source, R::SourceSelected, "Smooth eff - done", "S", ""},
    {32933, M::Effect, "St&epper", P::Source, R::SourceSelected, "Stepper eff - done", "", ""},
    {32783, M::Effect, "S&ubstract", P::Source, R::SourceSelected, "Substract eff - done", "U", ""},
    {32794, M::Effect, "&Volume", P::Source, R::SourceSelected, "Volume eff - done", "V", "volume"},
    {32824, M::None, "Silent zone", P::Source, R::SourceSelected, "Silent eff - done", "",
     "silent-zone"},
    // Interaction
    {32903, M::Interaction, "&Compression", P::Source, R::TwoFiles, "Compression eff - done", "",
     ""},
    {32796, M::Interaction, "&Doppler", P::Disabled, R::Never, "", "Alt+D", ""},
    {32798, M::Interaction, "&Formula", P::Source, R::TwoFiles, "Interaction eff - done", "Alt+F",
     ""},
    {33038, M::Interaction, "&Interlace", P::Source, R::SourceSelected, "Interlace int - done", "",
     ""},
    {32799, M::Interaction, "&Maximize/Minimize", P::Source, R::TwoFiles, "Maximize eff - done",
     "Alt+M", ""},
    {32801, M::Interaction, "Multipl&y", P::Source, R::SourceSelected, "Multiply eff - done",
     "Alt+Y", ""},
    {32884, M::Interaction, "S&hadok", P::Disabled, R::Never, "", "Alt+H", ""},
    {32883, M::Interaction, "&Smeuh", P::Disabled, R::Never, "", "Alt+S", ""},
    // Option
    {59392, M::Option, "&Toolbar", P::Framework, R::Always, "", "", ""},
    {59393, M::Option, "&Status Bar", P::Framework, R::Always, "", "", ""},
    {32817, M::Option, "Special Tool&bars", P::Plain, R::Always, "", "", ""},
    {32835, M::Option, "&Select Output Path", P::Plain, R::Always, "", "", "", true},
    {32912, M::Option, "&Preferences", P::Plain, R::Always, "Prefs Definition - done", "", ""},
    // Window
    {57649, M::Window, "Arrange &Icons", P::Framework, R::ActiveView, "", "", ""},
    {57650, M::Window, "Ca&scade", P::Framework, R::ActiveView, "", "", ""},
    {57602, M::Window, "&Close", P::Framework, R::ActiveView, "", "", ""},
    {57648, M::Window, "&Duplicate Window", P::Framework, R::ActiveView, "", "", ""},
    {57651, M::Window, "&Tile", P::Framework, R::ActiveView, "", "", ""},
    {32838, M::Window, "Close &All", P::List, R::SourceAndWindow, "Close all - done", "", "", true},
    {32895, M::Window, "A&rborescence", P::NoHandler, R::Never, "", "", ""},
    {33069, M::Window, "&History", P::Plain, R::SourceSelected, "Show History - done", "", "",
     true},
    {33077, M::Window, "Selection Position", P::Source, R::SourceSelected, "", "", ""},
    {33059, M::Window, "Open Temporary &Folder", P::Plain, R::Always, "", "", "", true},
    {33060, M::Window, "Open &Windows Mixer", P::Plain, R::Always, "", "", ""},
    // Help
    {57667, M::Help, "&Help Topics", P::Plain, R::Always, "Launch help - done", "", ""},
    {57670, M::None, "Help", P::Plain, R::Always, "Launch help - done", "F1", ""},
    {57669, M::None, "Context Help", P::Plain, R::Always, "Launch help - done", "Shift+F1", ""},
    {57671, M::None, "Default Help", P::Plain, R::Always, "Launch help - done", "", ""},
    {33035, M::None, "help", P::Plain, R::Always, "Launch help - done", "", ""},
    {57664, M::Help, "&About sonarium...", P::Plain, R::Always, "", "", "", true},
    {33037, M::Help, "&sonarium on the web", P::Plain, R::Always, "", "", ""},
    // Toolbar, accelerator and control bar only
    {32893, M::None, "Back To The Source", P::Disabled, R::Never, "", "Ctrl+Backspace;Ctrl+Z", ""},
    {34001, M::None, "Process Source Files", P::NoHandler, R::Never, "", "", ""},
    {34002, M::None, "Process All Files", P::NoHandler, R::Never, "", "", ""},
    {34003, M::None, "Crossfade", P::NoHandler, R::Never, "", "", ""},
    {34004, M::None, "", P::NoHandler, R::Never, "", "", ""},
    {34005, M::None, "", P::NoHandler, R::Never, "", "", ""},
    {34006, M::None, "", P::NoHandler, R::Never, "", "", ""},
    {1082, M::None, "&Add...", P::List, R::Always, "Add file - done", "", ""},
};

constexpr int kTools[] = {57601, 33040, 0,     33052, 32826, 32832, 32827, 0,     32938,
                          32940, 32946, 32943, 32939, 0,     32964, 33034, 32959, 0,
                          57634, 57637, 32969, 0,     32967, 32968, 32970, 0,     32912,
                          34001, 34002, 32929, 0,     32914, 32913, 32948, 0,     32895,
                          32893, 32838, 0,     57664, 33035};

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
    case EnableRule::Never:
        return false;
    }
    return false;
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
