// How the core speaks to the user: modal messages with an icon and a set of buttons.
#pragma once

#include <string>

namespace sonarium {

// The icon a message carries; the GUI maps these onto its message box icons.
enum class MessageIcon { None, Error, Warning, Information, Question };

// ImportCancel: OK reads "Import as 16-bit" (a file that must be imported before it is edited).
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, ImportCancel };

enum class Answer { Ok, Cancel, Yes, No };

// Every message of the core reaches the user through this interface: the GUI shows a message
// box, the command line prints to stderr, tests record what was said and pick the answer.
class Reporter {
public:
    virtual ~Reporter() = default;
    Answer report(const std::string& text, MessageIcon icon,
                  MessageButtons buttons = MessageButtons::Ok) {
        return present(text, icon, buttons);
    }

protected:
    virtual Answer present(const std::string& text, MessageIcon icon, MessageButtons buttons) = 0;
};

// Swallows every message and answers as a user pressing Enter would (OK / Yes).
class SilentReporter final : public Reporter {
protected:
    Answer present(const std::string&, MessageIcon, MessageButtons buttons) override {
        return buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel
                   ? Answer::Yes
                   : Answer::Ok;
    }
};

} // namespace sonarium
