// One drop-down selector of the control bar as plain data: display names in order and the
// current selection.
#pragma once

#include <string>
#include <vector>

namespace sonarium {

class SelectorModel {
public:
    const std::vector<std::string>& items() const { return items_; }
    int count() const { return static_cast<int>(items_.size()); }
    // Position of the selection, -1 when nothing is selected.
    int current() const { return current_; }
    bool hasSelection() const { return current_ >= 0; }
    // Text of the selection, empty when nothing is selected.
    std::string currentText() const;
    // Position of the first entry with exactly this text, -1 when there is none.
    int find(const std::string& text) const;
    bool contains(const std::string& text) const { return find(text) >= 0; }

    void append(const std::string& text);
    // Selects the first entry with exactly this text; false (selection unchanged) when absent.
    bool select(const std::string& text);
    void selectIndex(int index);
    void clearSelection() { current_ = -1; }
    void clear();
    // Removes the entry; a selection that showed it is cleared, a later one moves up.
    void removeAt(int index);
    void replaceAt(int index, const std::string& text);

private:
    std::vector<std::string> items_;
    int current_ = -1;
};

} // namespace sonarium
