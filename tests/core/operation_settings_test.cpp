// Every operation decodes its settings once, before any file is opened: at each numeric field's
// minimum, maximum and default and at each choice, decoding succeeds without touching a file and
// reads every member the declaration gives the job; a choice word the declaration does not list
// is refused, never taken for another choice.
#include "operations/operation.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace sonarium {
namespace {

// The fields whose member the job receives (a dialog-only control is folded into another
// option by the dialog before the job runs).
bool reachesTheJob(const FieldSpec& f) {
    return f.enabled && !f.member.empty() && !f.dialogOnly;
}

// The parameters to decode for one operation: its defaults, then one field at a time at each
// end of its range and at each of its choices.
std::vector<std::pair<std::string, Parameters>> sweep(const OperationDecl& op) {
    std::vector<std::pair<std::string, Parameters>> points{{"defaults", op.defaults()}};
    for (const FieldSpec& f : op.fields) {
        if (!reachesTheJob(f))
            continue;
        const std::string member(f.member);
        if (f.type == FieldType::CheckBox) {
            for (double on : {0.0, 1.0}) {
                Parameters p = op.defaults();
                p.setNumber(f.member, on);
                points.emplace_back(member + (on != 0 ? " on" : " off"), p);
            }
        } else if (f.isNumeric()) {
            for (double value : {f.minimum, f.maximum}) {
                Parameters p = op.defaults();
                p.setNumber(f.member, value);
                points.emplace_back(member + " = " + formatBound(value), p);
            }
        } else {
            for (const Choice& c : f.choices) {
                Parameters p = op.defaults();
                p.setText(f.member, std::string(c.value));
                points.emplace_back(member + " = " + std::string(c.value), p);
            }
        }
    }
    return points;
}

TEST(OperationSettings, EveryOperationDecodesEverySettingBeforeOpeningAFile) {
    for (const OperationDecl* op : allOperations()) {
        if (!op->prepare) {
            ADD_FAILURE() << op->name << " hands the framework no kernel";
            continue;
        }
        for (const auto& [point, p] : sweep(*op)) {
            SCOPED_TRACE(std::string(op->name) + " at " + point);
            // No file is named: a decoder that opened one would fail here.
            EXPECT_NO_THROW(op->prepare(p));
            for (const FieldSpec& f : op->fields) {
                if (reachesTheJob(f)) {
                    EXPECT_TRUE(p.membersRead().contains(f.member))
                        << f.member << " is not read when the settings are decoded";
                }
            }
        }
    }
}

TEST(OperationSettings, AChoiceTheDeclarationDoesNotListIsRefused) {
    int refused = 0;
    for (const OperationDecl* op : allOperations()) {
        for (const FieldSpec& f : op->fields) {
            if (!op->prepare || !reachesTheJob(f) || !f.hasChoices() ||
                f.type == FieldType::EditableList)
                continue; // an editable list takes any typed text
            SCOPED_TRACE(std::string(op->name) + " " + std::string(f.member));
            Parameters p = op->defaults();
            p.setText(f.member, "no-such-choice");
            EXPECT_THROW(op->prepare(p), std::invalid_argument);
            ++refused;
        }
    }
    EXPECT_GT(refused, 10);
}

} // namespace
} // namespace sonarium
