// The MP3 export's confirmation dialog.
#pragma once

#include <QDialog>
#include <string>

class QPushButton;

namespace sonarium {

// "Confirm mp3 batch conversion": Confirm (accepts), Cancel (the default button) and Help.
class CConfirmMp3BatchDialog final : public QDialog {
    Q_OBJECT

public:
    static constexpr const char* kText = "All files opened during this session\nare about to be "
                                         "converted into mp3 format.\n\nDo you confirm conversion "
                                         "for every audio file?";
    static constexpr const char* kHelpCode = "TOOBAT_1.1";

    explicit CConfirmMp3BatchDialog(std::string helpLanguage, QWidget* parent = nullptr);
    QPushButton* confirmButton() const { return confirm_; }
    QPushButton* cancelButton() const { return cancel_; }
    QPushButton* helpButton() const { return help_; }

private:
    QPushButton* confirm_;
    QPushButton* cancel_;
    QPushButton* help_;
};

} // namespace sonarium
