// The dialogs that add behaviour to the layout their declaration gives (radio-button rules, mono
// refusals, extra buttons, fields re-read on every change), by dialog class name. Every other
// operation gets the generic COperationDialog, whose class name is still its declaration's.
#include "dialogs/named_dialogs.h"

#include <QButtonGroup>
#include <QLineEdit>
#include <QRadioButton>
#include <functional>
#include <map>
#include <string_view>
#include <vector>

namespace sonarium {

namespace {

// "Simple Synthesis 1.1": an LFO shape can be checked only while the LFO runs, that is while its
// frequency and its depth are both non-zero. Every change of either field re-reads both (without
// range messages while the user types; the ranges are checked on OK): with both non-zero and
// neither Square nor Triangle checked, Sine becomes checked; with either zero, no shape stays
// checked. A shape clicked while the LFO is off is unchecked again.
class CSimpleSynthesisDialog final : public COperationDialog {
public:
    CSimpleSynthesisDialog(const OperationDecl& operation, OperationServices services,
                           QWidget* parent)
        : COperationDialog(operation, std::move(services), parent) {
        frequency_ = qobject_cast<QLineEdit*>(item(kLfoFrequencyItem));
        depth_ = qobject_cast<QLineEdit*>(item(kLfoDepthItem));
        for (int number : kLfoShapeItems)
            shapes_.push_back(qobject_cast<QRadioButton*>(item(number)));
        connect(frequency_, &QLineEdit::textChanged, this, &CSimpleSynthesisDialog::lfoEdited);
        connect(depth_, &QLineEdit::textChanged, this, &CSimpleSynthesisDialog::lfoEdited);
        for (QRadioButton* shape : shapes_)
            connect(shape, &QRadioButton::clicked, this, [this] {
                if (!lfoRuns())
                    uncheckShapes();
            });
    }

private:
    static constexpr int kLfoFrequencyItem = 1004;
    static constexpr int kLfoDepthItem = 1005;
    static constexpr int kLfoShapeItems[] = {1154, 1155, 1156}; // Sine, Square, Triangle

    // A text that is not a number counts as 0.
    double fieldValue(std::string_view member, const QLineEdit* edit) const {
        double value = 0;
        (void)parseFieldValue(*operation_.field(member), edit->text().toStdString(), value);
        return value;
    }
    bool lfoRuns() const {
        return fieldValue("lfoFrequency", frequency_) != 0 && fieldValue("lfoDepth", depth_) != 0;
    }
    void lfoEdited() {
        if (!lfoRuns())
            uncheckShapes();
        else if (!shapes_[1]->isChecked() && !shapes_[2]->isChecked())
            shapes_[0]->setChecked(true);
    }
    // An exclusive group keeps its checked button: it lets go only while not exclusive.
    void uncheckShapes() {
        QButtonGroup* group = shapes_[0]->group();
        group->setExclusive(false);
        for (QRadioButton* shape : shapes_)
            shape->setChecked(false);
        group->setExclusive(true);
    }

    QLineEdit* frequency_ = nullptr;
    QLineEdit* depth_ = nullptr;
    std::vector<QRadioButton*> shapes_;
};

using DialogFactory = std::function<std::unique_ptr<COperationDialog>(const OperationDecl&,
                                                                      OperationServices, QWidget*)>;

// One line per named dialog:
//   {"CNameDialog", make<CNameDialog>},
template <typename Dialog>
std::unique_ptr<COperationDialog> make(const OperationDecl& operation, OperationServices services,
                                       QWidget* parent) {
    return std::make_unique<Dialog>(operation, std::move(services), parent);
}

const std::map<std::string_view, DialogFactory>& namedDialogs() {
    static const std::map<std::string_view, DialogFactory> dialogs = {
        {"CSimpleSynthesisDialog", make<CSimpleSynthesisDialog>},
    };
    return dialogs;
}

} // namespace

std::unique_ptr<COperationDialog>
createOperationDialog(const OperationDecl& operation, OperationServices services, QWidget* parent) {
    const auto& dialogs = namedDialogs();
    if (auto it = dialogs.find(operation.dialogClass); it != dialogs.end())
        return it->second(operation, std::move(services), parent);
    return std::make_unique<COperationDialog>(operation, std::move(services), parent);
}

} // namespace sonarium
