#include "school_year/fault_plan.h"

#include <algorithm>
#include <chrono>
#include <iterator>
#include <map>
#include <random>
#include <stdexcept>

#include "school_year/year_record.h"

namespace orvessa::school_year {
namespace {

using namespace std::chrono;

// How far past its second a fault reaches, in seconds: the longest the clock may feel it.
int64_t reach(const Fault& f) {
    switch (f.kind) {
        case FaultKind::Stall:
            return 6;
        case FaultKind::Step:
            return f.amount > 0 ? f.amount : 0;
        case FaultKind::Kill:
        case FaultKind::KillMidSave:
        case FaultKind::PowerCut:
            // An emergency a killed save left on is ended within five minutes of the start.
            return f.amount + 300;
        case FaultKind::Media:
            return 15 * 60;
        case FaultKind::AsRunFull:
        case FaultKind::Emergency:
        case FaultKind::Manual:
            return f.amount;
        case FaultKind::Announcement:
            return 40;
    }
    return 0;
}

}  // namespace

const char* faultWord(FaultKind kind) {
    switch (kind) {
        case FaultKind::Stall:
            return "stall";
        case FaultKind::Step:
            return "clock-step";
        case FaultKind::Kill:
            return "kill";
        case FaultKind::KillMidSave:
            return "kill-mid-save";
        case FaultKind::PowerCut:
            return "power-cut";
        case FaultKind::Media:
            return "media";
        case FaultKind::AsRunFull:
            return "as-run-full";
        case FaultKind::Emergency:
            return "emergency";
        case FaultKind::Announcement:
            return "announcement";
        case FaultKind::Manual:
            return "manual-hour";
    }
    return "?";
}

FaultCounts defaultCounts() {
    return {180, 126, 110, 100, 100, 100, 60, 60, 110, 60};
}

std::vector<Fault> drawFaults(uint32_t seed, const FaultCounts& counts,
                              const std::set<int>& broadcastDays, year_month_day last) {
    std::mt19937 random(seed);
    std::vector<int> allDays;
    for (sys_days d = sys_days{kFirstDay}; d <= sys_days{last}; d += days(1)) {
        allDays.push_back(dateNumberOf(year_month_day{d}));
    }
    const std::vector<int> schoolDays(broadcastDays.begin(), broadcastDays.end());
    if (schoolDays.empty()) {
        throw std::invalid_argument("no broadcast day to draw faults on");
    }
    auto pick = [&random](const std::vector<int>& from) {
        return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random)];
    };
    auto between = [&random](int64_t low, int64_t high) {
        return std::uniform_int_distribution<int64_t>(low, high)(random);
    };
    std::map<Seconds, Seconds> taken;  // from → to, of every fault's reach with its margin
    auto clear = [&taken](Seconds from, Seconds to) {
        auto next = taken.lower_bound(from);
        if (next != taken.end() && next->first <= to) {
            return false;
        }
        return next == taken.begin() || std::prev(next)->second < from;
    };
    constexpr int64_t kMargin = 12 * 60;
    constexpr int kSteps[] = {3, 45, 600};

    std::vector<Fault> faults;
    for (std::size_t k = 0; k < kFaultKinds; ++k) {
        const auto kind = static_cast<FaultKind>(k);
        for (int n = 0; n < counts[k]; ++n) {
            Fault f;
            f.kind = kind;
            f.salt = static_cast<uint32_t>(random());
            switch (kind) {
                case FaultKind::Stall:
                    f.amount = between(500, 5000);
                    break;
                case FaultKind::Step:
                    f.amount = kSteps[n % 3] * (n / 3 % 2 == 0 ? 1 : -1);
                    break;
                case FaultKind::Kill:
                    f.amount = between(0, 120);
                    break;
                case FaultKind::KillMidSave:
                    f.amount = between(0, 120);
                    f.variant = n % kSaveKinds;
                    f.point = n / kSaveKinds % kDeathPoints;
                    break;
                case FaultKind::PowerCut:
                    f.amount = between(0, 120);
                    f.variant = n % kSaveKinds;
                    break;
                case FaultKind::Media:
                    f.variant = n % 3;
                    break;
                case FaultKind::AsRunFull:
                    f.amount = between(30, 600);
                    break;
                case FaultKind::Emergency:
                    f.amount = between(30, 600);
                    break;
                case FaultKind::Announcement:
                    f.variant = n % 3;
                    break;
                case FaultKind::Manual:
                    f.amount = 3600;
                    break;
            }
            const bool onSchoolDay =
                kind == FaultKind::Manual || std::uniform_int_distribution<int>(0, 99)(random) < 85;
            const int64_t latest = kind == FaultKind::Manual ? 19 * 3600 : 21 * 3600 + 600;
            bool placed = false;
            for (int attempt = 0; attempt < 1000 && !placed; ++attempt) {
                const int date = pick(onSchoolDay ? schoolDays : allDays);
                f.at = startOfDate(date) + between(6 * 3600 + 1200, latest);
                const Seconds from = f.at - kMargin - (f.amount < 0 ? -f.amount : 0);
                const Seconds to = f.at + reach(f) + kMargin;
                if (clear(from, to)) {
                    taken[from] = to;
                    placed = true;
                }
            }
            if (!placed) {
                throw std::runtime_error("the year has no room for so many faults");
            }
            faults.push_back(f);
        }
    }
    std::sort(faults.begin(), faults.end(),
              [](const Fault& a, const Fault& b) { return a.at < b.at; });
    return faults;
}

}  // namespace orvessa::school_year
