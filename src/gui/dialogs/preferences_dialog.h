// CPreferencesDialog, "Preferences 1.6": edits the running settings, and writes or rereads the
// preferences file.
#pragma once

#include "base/reporter.h"
#include "workspace/preferences.h"

#include <QColor>
#include <QDialog>
#include <QString>
#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

class QSpinBox;

namespace sonarium {

// The editor's compute threads setting (0: every core), kept in its settings beside the
// preferences file.
constexpr int kMaxComputeThreads = 256;
int savedComputeThreads();
void saveComputeThreads(int threads);

class CPreferencesDialog final : public QDialog {
    Q_OBJECT

public:
    // settings: the running settings, changed by Apply, Save, Reload and the colour choice;
    // path: the preferences file; reporter: the messages.
    CPreferencesDialog(Preferences& settings, std::string path, Reporter& reporter,
                       QWidget* parent = nullptr);

    // The control of a dialog item ("item1133"), or nullptr.
    QWidget* item(int number) const;
    QPushButton* button(const char* name) const; // "apply", "save", "reload", "default"...

    // The pickers, replaceable by tests: a folder (empty: cancelled), a file (empty: cancelled),
    // a colour (nothing: cancelled).
    std::function<QString(const QString& title, const QString& start)> pickFolder;
    std::function<QString(const QString& title, const QString& start)> pickFile;
    std::function<std::optional<QColor>(const QColor& start)> pickColour;

    // Runs after the settings changed (Apply, Save, Reload, a colour chosen).
    std::function<void()> settingsChanged;

    void OnApply();
    void OnSave();
    void OnReload();
    void OnDefault();

private:
    void copySettingsToControls();
    // The settings the controls show; the settings the controls do not cover are kept.
    Preferences settingsFromControls() const;
    // Refuses settings the file cannot hold, with a message; true when they can be used.
    bool acceptable(const Preferences& candidate);
    void browseFolder();
    void browseBeep();
    void customColourClicked(bool checked);
    void selectColour();
    void changed();

    Preferences& settings_;
    std::string path_;
    Reporter& reporter_;
    QLineEdit* outputDir_;
    QLineEdit* beepPath_;
    QComboBox* language_;
    QComboBox* mp3_;
    QSpinBox* threads_;
    QPushButton* select_;
};

} // namespace sonarium
