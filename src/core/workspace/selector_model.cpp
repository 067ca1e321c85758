// Selector entries and selection.
#include "workspace/selector_model.h"

#include <algorithm>

namespace sonarium {

std::string SelectorModel::currentText() const {
    return current_ >= 0 ? items_[static_cast<std::size_t>(current_)] : std::string();
}

int SelectorModel::find(const std::string& text) const {
    auto it = std::find(items_.begin(), items_.end(), text);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void SelectorModel::append(const std::string& text) {
    items_.push_back(text);
}

bool SelectorModel::select(const std::string& text) {
    int index = find(text);
    if (index < 0)
        return false;
    current_ = index;
    return true;
}

void SelectorModel::selectIndex(int index) {
    current_ = index >= 0 && index < count() ? index : -1;
}

void SelectorModel::clear() {
    items_.clear();
    current_ = -1;
}

void SelectorModel::removeAt(int index) {
    if (index < 0 || index >= count())
        return;
    items_.erase(items_.begin() + index);
    if (current_ == index)
        current_ = -1;
    else if (current_ > index)
        --current_;
}

void SelectorModel::replaceAt(int index, const std::string& text) {
    if (index >= 0 && index < count())
        items_[static_cast<std::size_t>(index)] = text;
}

} // namespace sonarium
