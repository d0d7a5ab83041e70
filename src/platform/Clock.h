#pragma once

namespace kestrel::platform {

// A moment of the local calendar, with the zone's distance from UTC at that moment.
struct LocalDateTime {
    int year = 1970;
    int month = 1; // 1..12
    int day = 1;   // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int utcOffsetMinutes = 0; // local time minus UTC
};

// Everything that needs "now" asks this clock, so tests can fix the time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalDateTime now() const = 0;
};

class SystemClock : public Clock {
public:
    LocalDateTime now() const override;
};

class FixedClock : public Clock {
public:
    explicit FixedClock(LocalDateTime moment) : moment_(moment) {}
    LocalDateTime now() const override { return moment_; }
    void set(LocalDateTime moment) { moment_ = moment; }

private:
    LocalDateTime moment_;
};

// The clock in use; `setClock(nullptr)` returns to the system clock.
const Clock& clock();
void setClock(const Clock* clock);

} // namespace kestrel::platform
