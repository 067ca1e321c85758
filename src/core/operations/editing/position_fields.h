// The "Starting at :" and "Ending at :" edits of the position dialogs: seconds typed as text,
// with no range. The end's default is empty: the end of the data (the dialogs show the
// duration there).
#pragma once

#include "operations/operation.h"

#include <string>

namespace sonarium {

inline FieldSpec startField(int item) {
    return {.item = item,
            .label = "Starting at :",
            .member = "start",
            .type = FieldType::Text,
            .unit = "s",
            .defaultChoice = "0.000"};
}

inline FieldSpec endField(int item) {
    return {.item = item,
            .label = "Ending at :",
            .member = "end",
            .type = FieldType::Text,
            .unit = "s",
            .defaultChoice = ""};
}

// The texts typed in the "Starting at :" and "Ending at :" edits, read once when the settings are
// decoded; they become offsets only once the Source's format is known.
struct Positions {
    std::string start;
    std::string end;

    static Positions of(const Parameters& p) { return {p.text("start"), p.text("end")}; }
};

// The "Starting at :" edit of the insert dialogs: its default is empty, the end of the data (the
// dialogs show the duration there).
inline FieldSpec insertStartField(int item) {
    FieldSpec field = startField(item);
    field.defaultChoice = "";
    return field;
}

// How every position dialog reads its fields, for the notes of its declaration.
#define SONARIUM_POSITION_NOTES                                                                    \
    "Positions are seconds: the text is read up to the first character that is not part of a "     \
    "number (\".\" is the decimal point; no number reads 0), multiplied by the bytes per value, "  \
    "the channels and the rate, and held inside the data. --end left out, or the end field left "  \
    "at the duration it opens with, is the end of the data."

} // namespace sonarium
