// The dialogs that add behaviour to the layout their declaration gives (radio-button rules, mono
// refusals, extra buttons, fields re-read on every change), by dialog class name. Every other
// operation gets the generic COperationDialog, whose class name is still its declaration's.
#include "dialogs/named_dialogs.h"

#include "dialogs/edit_dialogs.h"
#include "dialogs/effect_dialogs.h"
#include "dialogs/synthesis_dialogs.h"
#include "dialogs/tool_dialogs.h"
#include "operations/interactions/multiply.h"

#include <QCheckBox>
#include <functional>
#include <map>
#include <string_view>

namespace sonarium {

namespace {

// "Multiply 1.2": the Panoramic box cannot be checked when the only file is one mono file.
class CMultiplyDialog : public COperationDialog {
public:
    CMultiplyDialog(const OperationDecl& operation, OperationServices services, QWidget* parent)
        : COperationDialog(operation, std::move(services), parent) {
        auto* panoramic = qobject_cast<QCheckBox*>(item(kPanoramicItem));
        connect(panoramic, &QCheckBox::toggled, this, [this, panoramic](bool checked) {
            if (!checked || panoramicAvailable(services_.input))
                return;
            panoramic->setChecked(false);
            services_.reporter.report(kPanoramicRefusedText, MessageIcon::Warning);
        });
    }

    static constexpr int kPanoramicItem = 1626;
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
        {"CSmoothDialog", make<CSmoothDialog>},
        {"CResyncGapperDialog", make<CResyncGapperDialog>},
        {"CMultiplyDialog", make<CMultiplyDialog>},
        {"CSimpleSynthesisDialog", make<CSimpleSynthesisDialog>},
        {"CExtractDialog", make<CPositionDialog>},
        {"CRemoveDialog", make<CPositionDialog>},
        {"CMuteDialog", make<CPositionDialog>},
        {"CSelectDialog", make<CSelectDialog>},
        {"CFadeDialog", make<CFadeDialog>},
        {"CSelectionPositionDialog", make<CSelectionPositionDialog>},
        {"CInsertSilenceDialog", make<CInsertDialog>},
        {"CInsertClipboardDialog", make<CInsertDialog>},
        {"CInsertAuxiliaryDialog", make<CInsertDialog>},
        {"CSplitStereoDialog", make<CSplitStereoDialog>},
        {"CSamplingRateConversionDialog", make<CSamplingRateConversionDialog>},
        {"CFileInformationDialog", make<CFileInformationDialog>},
        {"CFileStatisticsDialog", make<CFileStatisticsDialog>},
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
