// Writing the help pages. Everything an operation page says about its fields, menu, command line
// and completion comes from the declaration and the command table; only the headings and the
// sentences around them are written here, in both languages.
#include "help_pages.h"

#include "frame/command_table.h"
#include "operations/operation_options.h"
#include "workspace/preferences.h"

#include <algorithm>
#include <array>

namespace sonarium {

namespace {

using L = HelpLanguage;

const char* tr(L language, const char* english, const char* french) {
    return language == L::English ? english : french;
}

std::string plainText(std::string_view label) {
    std::string out;
    for (std::size_t i = 0; i < label.size(); ++i) {
        if (label[i] == '&') {
            if (i + 1 < label.size() && label[i + 1] == '&')
                out += label[++i];
            continue;
        }
        out += label[i];
    }
    return out;
}

std::string pageStart(L language, const std::string& title, const std::string& otherLanguage) {
    std::string page = "<!DOCTYPE html>\n<html lang=\"";
    page += tr(language, "en", "fr");
    page += "\">\n<head><meta charset=\"utf-8\"><title>" + htmlEscape(title) +
            "</title></head>\n<body>\n<p class=\"nav\"><a href=\"" + helpFileName("", language) +
            "\">" + tr(language, "sonarium help", "Aide de sonarium") + "</a> | <a href=\"" +
            otherLanguage + "\">" + tr(language, "Fran&ccedil;ais", "English") + "</a></p>\n";
    page += "<h1>" + htmlEscape(title) + "</h1>\n";
    return page;
}

const char* pageEnd() {
    return "</body>\n</html>\n";
}

std::string typeText(const FieldSpec& field, L language) {
    switch (field.type) {
    case FieldType::Double:
        return tr(language, "number", "nombre");
    case FieldType::Float:
        return tr(language, "number (single precision)", "nombre (simple pr&eacute;cision)");
    case FieldType::Int16:
        return tr(language, "integer (16 bits)", "entier (16 bits)");
    case FieldType::Int32:
        return tr(language, "integer (32 bits)", "entier (32 bits)");
    case FieldType::Int64:
        return tr(language, "integer (64 bits)", "entier (64 bits)");
    case FieldType::Text:
        return tr(language, "text", "texte");
    case FieldType::CheckBox:
        return tr(language, "check box", "case &agrave; cocher");
    case FieldType::RadioGroup:
        return tr(language, "radio buttons", "boutons radio");
    case FieldType::DropDownList:
        return tr(language, "list", "liste");
    case FieldType::EditableList:
        return tr(language, "list or typed text", "liste ou texte saisi");
    }
    return "?";
}

std::string defaultText(const FieldSpec& field, L language) {
    if (field.type == FieldType::CheckBox)
        return field.defaultValue != 0 ? tr(language, "checked", "coch&eacute;e")
                                       : tr(language, "clear", "d&eacute;coch&eacute;e");
    if (field.isTextual()) {
        if (field.defaultChoice.empty())
            return tr(language, "none", "aucun");
        for (const Choice& choice : field.choices)
            if (choice.value == field.defaultChoice)
                return helpLabel(choice.label);
        return htmlEscape(field.defaultChoice);
    }
    return formatBound(field.defaultValue);
}

std::string rangeText(const FieldSpec& field, L language) {
    if (field.type == FieldType::CheckBox)
        return "";
    if (field.isTextual()) {
        std::string text;
        for (const Choice& choice : field.choices) {
            text += text.empty() ? "" : ", ";
            text += helpLabel(choice.label);
            if (!field.member.empty() && plainText(choice.label) != choice.value)
                text += " (" + htmlEscape(choice.value) + ")";
        }
        if (field.maxLength > 0) {
            text += text.empty() ? "" : "; ";
            text += tr(language, "at most ", "au plus ") + std::to_string(field.maxLength) +
                    tr(language, " characters", " caract&egrave;res");
        }
        return text;
    }
    return formatBound(field.minimum) + " .. " + formatBound(field.maximum);
}

std::string stateText(const FieldSpec& field, L language) {
    if (!field.enabled)
        return tr(language, "disabled", "d&eacute;sactiv&eacute;");
    if (field.commandLineOnly)
        return tr(language, "command line only", "ligne de commande seulement");
    return "";
}

std::string inputText(const OperationDecl& operation, L language) {
    switch (operation.input) {
    case InputKind::None:
        return tr(language, "It reads no file: it makes its sound from the fields alone.",
                  "Elle ne lit aucun fichier&nbsp;: elle cr&eacute;e son son &agrave; partir des "
                  "champs seuls.");
    case InputKind::One:
        return tr(language, "It reads the Source file.", "Elle lit le fichier Source.");
    case InputKind::Two:
        return tr(language, "It reads the Source file and the Aux file.",
                  "Elle lit le fichier Source et le fichier Aux.");
    case InputKind::OneWithSelection:
        return tr(language,
                  "It reads the selection of the Source file (the whole file when nothing is "
                  "selected).",
                  "Elle lit la s&eacute;lection du fichier Source (tout le fichier quand rien "
                  "n'est s&eacute;lectionn&eacute;).");
    }
    return "";
}

std::string outputText(const OperationDecl& operation, L language) {
    switch (operation.output) {
    case OutputKind::TextReport:
        return tr(language, "It shows a text and writes no file.",
                  "Elle affiche un texte et n'&eacute;crit aucun fichier.");
    case OutputKind::ExternalFile:
        return tr(language, "An external program writes the result.",
                  "Un programme externe &eacute;crit le r&eacute;sultat.");
    case OutputKind::WaveFile:
        break;
    }
    const char* channels = operation.channels == OutputChannels::Mono
                               ? tr(language, " (mono)", " (mono)")
                           : operation.channels == OutputChannels::Stereo
                               ? tr(language, " (stereo)", " (st&eacute;r&eacute;o)")
                               : "";
    return std::string(tr(language, "The result is a new numbered wave file in the output folder",
                          "Le r&eacute;sultat est un nouveau fichier wave num&eacute;rot&eacute; "
                          "dans le dossier de sortie")) +
           channels +
           tr(language, ", opened in its own window; the source is never changed.",
              ", ouvert dans sa propre fen&ecirc;tre&nbsp;; la source n'est jamais "
              "modifi&eacute;e.");
}

// The describe text without the notes, which the page shows under their own heading.
std::string commandLineText(const OperationDecl& operation) {
    std::string text = describeOperation(operation);
    if (!operation.notes.empty()) {
        const std::string tail = "\n" + std::string(operation.notes) + "\n";
        if (text.size() >= tail.size() && text.ends_with(tail))
            text.erase(text.size() - tail.size());
    }
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

std::string fieldTable(const OperationDecl& operation, L language) {
    std::string table = "<table class=\"fields\">\n<tr><th>";
    table += tr(language, "Item", "&Eacute;l&eacute;ment");
    table += "</th><th>";
    table += tr(language, "Label", "Libell&eacute;");
    table += "</th><th>Type</th><th>";
    table += tr(language, "Default", "D&eacute;faut");
    table += "</th><th>";
    table += tr(language, "Range", "Plage");
    table += "</th><th>";
    table += tr(language, "Unit", "Unit&eacute;");
    table += "</th><th>";
    table += tr(language, "Option", "Option");
    table += "</th><th>";
    table += tr(language, "State", "&Eacute;tat");
    table += "</th></tr>\n";
    for (std::size_t i = 0; i < operation.fields.size(); ++i) {
        const FieldSpec& f = operation.fields[i];
        const bool hasOption = f.enabled && !f.member.empty() && !operation.editorOnly;
        std::string item = f.item != 0 ? std::to_string(f.item) : "";
        if (f.type == FieldType::RadioGroup) {
            for (const Choice& choice : f.choices)
                if (choice.item != 0)
                    item += (item.empty() ? "" : ", ") + std::to_string(choice.item);
        }
        table += "<tr id=\"" + fieldRowId(i) + "\"" + (f.enabled ? "" : " class=\"disabled\"") +
                 "><td class=\"item\">" + item + "</td><td class=\"label\">" +
                 helpLabel(f.group.empty() ? f.label : f.group) + "</td><td class=\"type\">" +
                 typeText(f, language) + "</td><td class=\"default\">" + defaultText(f, language) +
                 "</td><td class=\"range\">" + rangeText(f, language) + "</td><td class=\"unit\">" +
                 htmlEscape(f.unit) + "</td><td class=\"option\">" +
                 (hasOption ? "--" + htmlEscape(f.optionName()) : std::string()) +
                 "</td><td class=\"state\">" + stateText(f, language) + "</td></tr>\n";
    }
    table += "</table>\n";
    return table;
}

// The operations in menu order: each menu's commands as the command table lists them, then
// those on no menu, then any operation whose command the table does not hold.
std::vector<const OperationDecl*> operationsInMenuOrder() {
    std::vector<const OperationDecl*> ordered;
    const MenuId order[] = {MenuId::File,      MenuId::FileImport, MenuId::FileExport,
                            MenuId::Edit,      MenuId::EditFade,   MenuId::Tool,
                            MenuId::Synthesis, MenuId::Effect,     MenuId::Interaction,
                            MenuId::Option,    MenuId::Window,     MenuId::Help,
                            MenuId::None};
    for (MenuId menu : order)
        for (const CommandSpec& command : commandTable())
            if (command.menu == menu)
                if (const OperationDecl* op = findOperationByCommand(command.id);
                    op != nullptr && std::find(ordered.begin(), ordered.end(), op) == ordered.end())
                    ordered.push_back(op);
    for (const OperationDecl* op : allOperations())
        if (std::find(ordered.begin(), ordered.end(), op) == ordered.end())
            ordered.push_back(op);
    return ordered;
}

// The top-level menu a command appears under, for grouping the general page.
std::string topMenuTitle(int commandId, L language) {
    const CommandSpec* command = findCommand(commandId);
    if (command == nullptr)
        return tr(language, "Other operations", "Autres op&eacute;rations");
    switch (command->menu) {
    case MenuId::FileImport:
    case MenuId::FileExport:
        return htmlEscape(plainText(menuTitle(MenuId::File)));
    case MenuId::EditFade:
        return htmlEscape(plainText(menuTitle(MenuId::Edit)));
    case MenuId::None:
        return tr(language, "Toolbars", "Barres d'outils");
    default:
        return htmlEscape(plainText(menuTitle(command->menu)));
    }
}

std::string operationAnchor(const OperationDecl& operation) {
    return "op-" + std::string(operation.name);
}

struct DialogPage {
    const char* code;
    const char* englishTitle;
    const char* frenchTitle;
};

constexpr DialogPage kDialogPages[] = {
    {"TOOPRE_1.6", "Preferences 1.6", "Preferences 1.6 (pr&eacute;f&eacute;rences)"},
    {"TOOPRE_1.2", "Output Pathname", "Output Pathname (dossier de sortie)"},
    {"TOOHIS_1.0", "History 1.0", "History 1.0 (historique)"},
    {"TOOBAT_1.1", "Confirm mp3 batch conversion",
     "Confirm mp3 batch conversion (conversion mp3 de tous les fichiers)"},
};

std::string generalPage(L language) {
    const L other = language == L::English ? L::French : L::English;
    std::string page = pageStart(language, tr(language, "sonarium help", "Aide de sonarium"),
                                 helpFileName("", other));
    page += tr(language,
               "<p>sonarium edits 16-bit PCM wave files. Open or add files to the working list; "
               "the file chosen in <b>Source</b> is the one every operation works on, the file "
               "chosen in <b>Aux</b> is the second file of the two-file operations.</p>\n"
               "<p>Every operation writes its result as a new numbered file in the output folder "
               "(<code>tempsnds</code> under the audio folder by default) and opens it in its own "
               "window; the source file is never changed. Save a result you want to keep with "
               "<b>Save As</b>.</p>\n"
               "<p>Each dialog has a <b>Help</b> button that opens its page. The pages of every "
               "operation, by menu:</p>\n",
               "<p>sonarium modifie des fichiers wave PCM 16 bits. Ouvrez ou ajoutez des fichiers "
               "&agrave; la liste de travail&nbsp;; le fichier choisi dans <b>Source</b> est celui "
               "sur lequel travaille chaque op&eacute;ration, le fichier choisi dans <b>Aux</b> "
               "est le second fichier des op&eacute;rations &agrave; deux fichiers.</p>\n"
               "<p>Chaque op&eacute;ration &eacute;crit son r&eacute;sultat dans un nouveau "
               "fichier num&eacute;rot&eacute; du dossier de sortie (<code>tempsnds</code> dans le "
               "dossier audio par d&eacute;faut) et l'ouvre dans sa propre fen&ecirc;tre&nbsp;; "
               "le fichier source n'est jamais modifi&eacute;. Enregistrez un r&eacute;sultat "
               "&agrave; garder avec <b>Save As</b>.</p>\n"
               "<p>Chaque bo&icirc;te de dialogue a un bouton <b>Help</b> qui ouvre sa page. Les "
               "pages de chaque op&eacute;ration, par menu&nbsp;:</p>\n");
    std::string currentMenu;
    bool listOpen = false;
    std::vector<const OperationDecl*> withoutDialog;
    for (const OperationDecl* op : operationsInMenuOrder()) {
        const std::string menu = topMenuTitle(op->commandId, language);
        if (menu != currentMenu) {
            if (listOpen)
                page += "</ul>\n";
            page += "<h2>" + menu + "</h2>\n<ul>\n";
            currentMenu = menu;
            listOpen = true;
        }
        const std::string target = op->helpCode.empty() ? "#" + operationAnchor(*op)
                                                        : helpFileName(op->helpCode, language);
        if (op->helpCode.empty())
            withoutDialog.push_back(op);
        page += "<li><a href=\"" + target + "\">" + htmlEscape(op->caption) + "</a>";
        if (const std::string path = menuPath(op->commandId, language); !path.empty())
            page += " &mdash; " + path;
        page += "</li>\n";
    }
    if (listOpen)
        page += "</ul>\n";
    if (!withoutDialog.empty()) {
        page += "<h2>";
        page += tr(language, "Operations without a dialog",
                   "Op&eacute;rations sans bo&icirc;te de dialogue");
        page += "</h2>\n";
        for (const OperationDecl* op : withoutDialog) {
            page +=
                "<h3 id=\"" + operationAnchor(*op) + "\">" + htmlEscape(op->caption) + "</h3>\n";
            page += "<p>" + inputText(*op, language) + " " + outputText(*op, language) + "</p>\n";
            page += "<pre>" + htmlEscape(commandLineText(*op)) + "</pre>\n";
            if (!op->notes.empty())
                page += "<p class=\"notes\">" + htmlEscape(op->notes) + "</p>\n";
        }
    }
    page += "<h2>";
    page +=
        tr(language, "Dialogs of the workspace", "Bo&icirc;tes de dialogue de l'espace de travail");
    page += "</h2>\n<ul>\n";
    for (const DialogPage& dialog : kDialogPages)
        page += std::string("<li><a href=\"") + helpFileName(dialog.code, language) + "\">" +
                (language == L::English ? dialog.englishTitle : dialog.frenchTitle) + "</a></li>\n";
    page += "</ul>\n<h2>";
    page += tr(language, "Command line", "Ligne de commande");
    page += "</h2>\n<p>";
    page += tr(language,
               "<code>sonarium-cli</code> runs every operation on files without a display (except "
               "those that work in the editor only, as their pages say); "
               "<code>sonarium-cli --help</code> lists them and <code>sonarium-cli OP "
               "--help</code> gives the options of one, as its page does.",
               "<code>sonarium-cli</code> ex&eacute;cute chaque op&eacute;ration sur des fichiers "
               "sans affichage (hormis celles qui n'existent que dans l'&eacute;diteur, comme "
               "leur page le dit)&nbsp;; <code>sonarium-cli --help</code> les liste et "
               "<code>sonarium-cli OP --help</code> donne les options de l'une d'elles, comme sa "
               "page.");
    page += "</p>\n";
    page += pageEnd();
    return page;
}

struct ControlLine {
    const char* label; // as printed
    const char* english;
    const char* french;
};

std::string controlList(const std::vector<ControlLine>& lines, L language) {
    std::string text = "<dl>\n";
    for (const ControlLine& line : lines)
        text += "<dt>" + htmlEscape(line.label) + "</dt><dd>" +
                tr(language, line.english, line.french) + "</dd>\n";
    return text + "</dl>\n";
}

// What each check box of the Preferences dialog does, by item.
const char* checkBoxMeaning(int item, L language) {
    switch (item) {
    case 1133:
        return tr(language, "After an operation, the beep sound is played.",
                  "Apr&egrave;s une op&eacute;ration, le son du bip est jou&eacute;.");
    case 1145:
        return tr(language, "After an operation, the new file is played.",
                  "Apr&egrave;s une op&eacute;ration, le nouveau fichier est jou&eacute;.");
    case 1146:
        return tr(language, "After an operation, the main window is brought to the front.",
                  "Apr&egrave;s une op&eacute;ration, la fen&ecirc;tre principale passe au "
                  "premier plan.");
    case 1170:
        return tr(language,
                  "The splash window is not shown at start-up (next start). Shown, it closes by "
                  "itself after two seconds, or at the first click or key.",
                  "La fen&ecirc;tre d'accueil n'est pas montr&eacute;e au d&eacute;marrage (au "
                  "prochain d&eacute;marrage). Montr&eacute;e, elle se ferme d'elle-m&ecirc;me "
                  "apr&egrave;s deux secondes, ou au premier clic ou &agrave; la premi&egrave;re "
                  "touche.");
    case 1401:
        return tr(language,
                  "At start-up, the working list and the windows open at the last quit come back; "
                  "files that are no longer there are left out and counted in the Activity field.",
                  "Au d&eacute;marrage, la liste de travail et les fen&ecirc;tres ouvertes au "
                  "dernier arr&ecirc;t reviennent ; les fichiers qui ne sont plus l&agrave; sont "
                  "omis et compt&eacute;s dans le champ Activit&eacute;.");
    case 1172:
        return tr(language, "The main window shows no background picture (next start).",
                  "La fen&ecirc;tre principale n'a pas d'image de fond (au prochain "
                  "d&eacute;marrage).");
    case 1171:
        return tr(language, "The toolbars are hidden (next start).",
                  "Les barres d'outils sont cach&eacute;es (au prochain d&eacute;marrage).");
    case 1131:
        return tr(language, "The output folder is asked for at start-up.",
                  "Le dossier de sortie est demand&eacute; au d&eacute;marrage.");
    case 1137:
        return tr(language, "Quitting asks for confirmation first.",
                  "Quitter demande d'abord une confirmation.");
    case 1135:
        return tr(language, "On quitting, the wave files of the temporary folder are deleted.",
                  "En quittant, les fichiers wave du dossier temporaire sont supprim&eacute;s.");
    case 1144:
        return tr(language, "Waveforms are drawn green instead of blue.",
                  "Les formes d'onde sont dessin&eacute;es en vert au lieu de bleu.");
    case 1177:
        return tr(language, "Each waveform gets a colour of its own.",
                  "Chaque forme d'onde re&ccedil;oit sa propre couleur.");
    case 1227:
        return tr(language, "Each file opened from disk uses up a file number (not changeable).",
                  "Chaque fichier ouvert depuis le disque consomme un num&eacute;ro de fichier "
                  "(non modifiable).");
    case 1134:
        return tr(language, "Playback stops when another waveform window is activated.",
                  "La lecture s'arr&ecirc;te quand une autre fen&ecirc;tre de forme d'onde est "
                  "activ&eacute;e.");
    case 1165:
        return tr(language, "Not available.", "Non disponible.");
    case 1299:
        return tr(language,
                  "Dialogs take the colour chosen with Select... (next start, after Save).",
                  "Les bo&icirc;tes de dialogue prennent la couleur choisie avec Select... (au "
                  "prochain d&eacute;marrage, apr&egrave;s Save).");
    default:
        return "";
    }
}

std::string preferencesPage(L language) {
    const L other = language == L::English ? L::French : L::English;
    std::string page = pageStart(language, "Preferences 1.6", helpFileName("TOOPRE_1.6", other));
    page += tr(language,
               "<p>The Option menu's <b>Preferences</b> command opens this dialog. The settings "
               "are kept in <code>sonarium/res/prefs.snp</code> under the audio folder.</p>\n",
               "<p>La commande <b>Preferences</b> du menu Option ouvre cette bo&icirc;te. Les "
               "r&eacute;glages sont gard&eacute;s dans <code>sonarium/res/prefs.snp</code> dans "
               "le dossier audio.</p>\n");
    page += "<h2>";
    page += tr(language, "Paths and lists", "Chemins et listes");
    page += "</h2>\n";
    page += controlList(
        {{"Default path :",
          "The folder of the temporary results; Browse chooses a folder. At most 255 bytes.",
          "Le dossier des r&eacute;sultats temporaires&nbsp;; Browse choisit un dossier. Au plus "
          "255 octets."},
         {"Beep path :",
          "The wave file played when an operation completes; Browse accepts only wave files. At "
          "most 255 bytes.",
          "Le fichier wave jou&eacute; quand une op&eacute;ration se termine&nbsp;; Browse "
          "n'accepte que des fichiers wave. Au plus 255 octets."},
         {"Help language :",
          "English or Francais: the language of the help pages and of the "
          "calculator page opened when no calculator is installed.",
          "English ou Francais&nbsp;: la langue des pages d'aide et de la page de calculatrice "
          "ouverte quand aucune calculatrice n'est install&eacute;e."},
         {"mp3 export format :",
          "The rate of the MP3 export, CBR 128k/s to CBR 320k/s; none "
          "selected: the encoder's own default.",
          "Le d&eacute;bit de l'export MP3, de CBR 128k/s &agrave; CBR 320k/s&nbsp;; aucun "
          "choix&nbsp;: le d&eacute;bit par d&eacute;faut de l'encodeur."}},
        language);
    page += "<h2>";
    page += tr(language, "Check boxes", "Cases &agrave; cocher");
    page += "</h2>\n<dl>\n";
    for (const PreferenceCheckBox& box : preferenceCheckBoxes())
        page += "<dt>" + htmlEscape(box.label) + "</dt><dd>" + checkBoxMeaning(box.item, language) +
                "</dd>\n";
    page += "</dl>\n<h2>";
    page += tr(language, "Buttons", "Boutons");
    page += "</h2>\n";
    page += controlList(
        {{"Apply", "Uses the settings until the program ends; the file is not written.",
          "Utilise les r&eacute;glages jusqu'&agrave; la fin du programme&nbsp;; le fichier "
          "n'est pas &eacute;crit."},
         {"Save", "Uses the settings and writes them to the file; the dialog stays open.",
          "Utilise les r&eacute;glages et les &eacute;crit dans le fichier&nbsp;; la "
          "bo&icirc;te reste ouverte."},
         {"Reload", "Reads the file again into the dialog.",
          "Relit le fichier dans la bo&icirc;te."},
         {"Default", "Puts the default values into the dialog (not yet in use).",
          "Met les valeurs par d&eacute;faut dans la bo&icirc;te (pas encore en usage)."},
         {"Cancel", "Closes without changes.", "Ferme sans rien changer."}},
        language);
    page += pageEnd();
    return page;
}

std::string outputPathPage(L language) {
    const L other = language == L::English ? L::French : L::English;
    std::string page = pageStart(language, "Output Pathname", helpFileName("TOOPRE_1.2", other));
    page += tr(language,
               "<p>The Option menu's <b>Select Output Path</b> command, and the start of the "
               "program when the preferences ask for it, open this dialog.</p>\n",
               "<p>La commande <b>Select Output Path</b> du menu Option, et le d&eacute;marrage "
               "quand les pr&eacute;f&eacute;rences le demandent, ouvrent cette "
               "bo&icirc;te.</p>\n");
    page += controlList(
        {{"Standard output pathname :",
          "The folder where the results are written. Left empty, the current folder stays.",
          "Le dossier o&ugrave; les r&eacute;sultats sont &eacute;crits. Laiss&eacute; vide, le "
          "dossier actuel reste."},
         {"Browse...", "Chooses a folder; a separator is added at its end.",
          "Choisit un dossier&nbsp;; un s&eacute;parateur est ajout&eacute; &agrave; sa fin."}},
        language);
    page += pageEnd();
    return page;
}

std::string historyPage(L language) {
    const L other = language == L::English ? L::French : L::English;
    std::string page = pageStart(language, "History 1.0", helpFileName("TOOHIS_1.0", other));
    page += tr(language,
               "<p>The Window menu's <b>History</b> command shows one line per file of the "
               "working list, in the order of their numbers: the file number on three digits, "
               "the time it joined the list and its path, for example</p>\n",
               "<p>La commande <b>History</b> du menu Window montre une ligne par fichier de la "
               "liste de travail, dans l'ordre de leurs num&eacute;ros&nbsp;: le num&eacute;ro sur "
               "trois chiffres, l'heure o&ugrave; il est entr&eacute; dans la liste et son chemin, "
               "par exemple</p>\n");
    page += "<pre>007 - 14:03:09 - /home/user/audio/tempsnds/006.wav</pre>\n";
    page += pageEnd();
    return page;
}

std::string mp3BatchPage(L language) {
    const L other = language == L::English ? L::French : L::English;
    std::string page =
        pageStart(language, "Confirm mp3 batch conversion", helpFileName("TOOBAT_1.1", other));
    page += tr(language,
               "<p>The File menu's <b>Export all to MP3</b> command asks here before converting "
               "every file opened during the session to MP3 with the external encoder, at the "
               "rate chosen in the preferences. <b>Confirm</b> starts the conversion; "
               "<b>Cancel</b> (the default) does nothing.</p>\n",
               "<p>La commande <b>Export all to MP3</b> du menu File demande ici avant de "
               "convertir en MP3, avec l'encodeur externe, chaque fichier ouvert pendant la "
               "session, au d&eacute;bit choisi dans les pr&eacute;f&eacute;rences. "
               "<b>Confirm</b> lance la conversion&nbsp;; <b>Cancel</b> (le choix par "
               "d&eacute;faut) ne fait rien.</p>\n");
    page += pageEnd();
    return page;
}

} // namespace

std::string helpFileName(std::string_view code, HelpLanguage language) {
    return std::string(code) + (language == L::English ? "_english.html" : "_francais.html");
}

std::string htmlEscape(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string helpLabel(std::string_view label) {
    return htmlEscape(plainText(label));
}

std::string fieldRowId(std::size_t index) {
    return "field" + std::to_string(index);
}

std::string menuPath(int commandId, HelpLanguage language) {
    const CommandSpec* command = findCommand(commandId);
    if (command == nullptr)
        return "";
    std::vector<std::string> steps;
    switch (command->menu) {
    case MenuId::FileImport:
    case MenuId::FileExport:
        steps = {plainText(menuTitle(MenuId::File)), plainText(menuTitle(command->menu))};
        break;
    case MenuId::EditFade:
        steps = {plainText(menuTitle(MenuId::Edit)), plainText(menuTitle(command->menu))};
        break;
    case MenuId::None: {
        const auto has = [commandId](std::span<const int> bar) {
            return std::find(bar.begin(), bar.end(), commandId) != bar.end();
        };
        if (has(effectsToolbar()))
            steps = {tr(language, "Effects toolbar", "Barre d'outils Effects")};
        else if (has(synthesisToolbar()))
            steps = {tr(language, "Synthesis toolbar", "Barre d'outils Synthesis")};
        else if (has(toolsToolbar()))
            steps = {tr(language, "Tools toolbar", "Barre d'outils Tools")};
        else
            steps = {tr(language, "Shortcut", "Raccourci")};
        break;
    }
    default:
        steps = {plainText(menuTitle(command->menu))};
    }
    steps.push_back(plainText(command->caption));
    std::string path;
    for (const std::string& step : steps)
        path += (path.empty() ? "" : " &gt; ") + htmlEscape(step);
    return path;
}

std::string operationPage(const OperationDecl& operation, HelpLanguage language) {
    const L other = language == L::English ? L::French : L::English;
    std::string page = pageStart(language, std::string(operation.caption),
                                 helpFileName(operation.helpCode, other));
    if (const std::string path = menuPath(operation.commandId, language); !path.empty())
        page += std::string("<p class=\"menu\">") + tr(language, "Menu: ", "Menu&nbsp;: ") + path +
                "</p>\n";
    page +=
        "<p>" + inputText(operation, language) + " " + outputText(operation, language) + "</p>\n";
    if (!operation.notes.empty()) {
        page += "<h2>";
        page += tr(language, "What it does", "Ce qu'elle fait (en anglais)");
        page += "</h2>\n<p class=\"notes\">" + htmlEscape(operation.notes) + "</p>\n";
    }
    page += "<h2>";
    page += tr(language, "Fields", "Champs");
    page += "</h2>\n";
    if (operation.fields.empty())
        page += std::string("<p>") +
                tr(language, "The dialog has no field.", "La bo&icirc;te n'a aucun champ.") +
                "</p>\n";
    else
        page += fieldTable(operation, language);
    page += std::string("<p>") +
            tr(language,
               "A number outside its range keeps the dialog open with a message; nothing is "
               "computed. Disabled controls are shown but never read.",
               "Un nombre hors de sa plage garde la bo&icirc;te ouverte avec un message&nbsp;; "
               "rien n'est calcul&eacute;. Les contr&ocirc;les d&eacute;sactiv&eacute;s sont "
               "montr&eacute;s mais jamais lus.") +
            "</p>\n";
    page += "<h2>";
    page += tr(language, "Command line", "Ligne de commande");
    if (operation.editorOnly)
        page += std::string("</h2>\n<p class=\"cli\">") +
                tr(language, "None: this operation works in the editor only.",
                   "Aucune&nbsp;: cette op&eacute;ration n'existe que dans l'&eacute;diteur.") +
                "</p>\n";
    else
        page += "</h2>\n<pre class=\"cli\">" + htmlEscape(commandLineText(operation)) + "</pre>\n";
    page += "<h2>";
    page += tr(language, "When it is done", "Une fois termin&eacute;e");
    page += "</h2>\n<p class=\"completion\">";
    if (operation.completion.empty())
        page += tr(language, "The Activity field is left as it was.",
                   "Le champ Activity reste tel quel.");
    else
        page +=
            std::string(tr(language, "The Activity field shows ", "Le champ Activity affiche ")) +
            "<q>" + htmlEscape(operation.completion) + "</q>.";
    page += "</p>\n";
    page += pageEnd();
    return page;
}

std::vector<HelpPage> generateHelpPages() {
    std::vector<HelpPage> pages;
    for (L language : {L::English, L::French}) {
        pages.push_back({helpFileName("", language), generalPage(language)});
        for (const OperationDecl* op : allOperations())
            if (!op->helpCode.empty())
                pages.push_back(
                    {helpFileName(op->helpCode, language), operationPage(*op, language)});
        pages.push_back({helpFileName("TOOPRE_1.6", language), preferencesPage(language)});
        pages.push_back({helpFileName("TOOPRE_1.2", language), outputPathPage(language)});
        pages.push_back({helpFileName("TOOHIS_1.0", language), historyPage(language)});
        pages.push_back({helpFileName("TOOBAT_1.1", language), mp3BatchPage(language)});
    }
    return pages;
}

} // namespace sonarium
