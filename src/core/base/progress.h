// Where a job reports how far it has come (0 to 100), and where it learns that the user asked
// it to stop.
#pragma once

namespace sonarium {

class Progress {
public:
    virtual ~Progress() = default;
    virtual void setProgress(int percent) = 0;
    // True once the user asked the job to stop (Cancel, Esc). Jobs ask once per block and then
    // end as cancelled, leaving no result.
    virtual bool cancelRequested() { return false; }
};

class NullProgress final : public Progress {
public:
    void setProgress(int) override {}
};

} // namespace sonarium
