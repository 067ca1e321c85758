// The main window's fixed small dialogs: "Operation Interrupted", the Confirm dialogs and
// "Completed".
#pragma once

#include <QString>

class QWidget;

namespace sonarium {

// The no-input notice shown when an operation needs a Source file and none is selected.
void showOperationInterrupted(QWidget* parent);

// A question with "Confirm" and "Cancel" buttons, Cancel being the default; true on Confirm.
bool askConfirmation(QWidget* parent, const QString& title, const QString& text);

// The notice shown when the main window cannot be brought to the foreground after an operation.
void showCompleted(QWidget* parent);

// The texts of the Confirm Deletion and Confirm Exiting dialogs.
QString clearTemporaryDirectoryQuestion(const QString& directory);
inline constexpr const char* kConfirmExitingText = "Are you sure you want to quit?";
// The Activity text of a job the user stopped.
inline constexpr const char* kJobInterruptedActivity = "Operation Interrupted";
inline constexpr const char* kOperationInterruptedText =
    "No input selected\n\nEffects cannot be performed\n without source file.\n\nAdd, open or "
    "synthesize a soundfile before. ";

} // namespace sonarium
