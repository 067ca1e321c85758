// Where a job reports how far it has come: 0 to 100.
#pragma once

namespace sonarium {

class Progress {
public:
    virtual ~Progress() = default;
    virtual void setProgress(int percent) = 0;
};

class NullProgress final : public Progress {
public:
    void setProgress(int) override {}
};

} // namespace sonarium
