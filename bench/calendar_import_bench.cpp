// The calendar import at the largest file it accepts: 19 999 events in published holiday style
// (one all-day event per day off, make-up days as office hours), about 1.6 MB. Each stage is
// timed and the resident memory shown after it; the peak is the process's.
//
//     QT_QPA_PLATFORM=offscreen orvessa_calendar_import_bench [events] [--widgets] [--tree]
//         [--one-by-one] [--shot PICTURE]
//
// --shot shows the import list of a small feed in the published styles instead, and saves a
// picture of the screen (for a look under Xvfb with a window manager).
//
// --widgets also fills a table with a pair of list boxes per row, as the import's list once
// was; --tree also parses the whole file into one libical tree, as the reader once did;
// --one-by-one also lays the accepted entries over the calendar one at a time, as OK once did:
// the places the time and memory went.
#include <libical/ical.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QScreen>
#include <QTableWidget>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "backends/ical/ical_calendar_reader.h"
#include "core/editing/calendar_import_dialog.h"
#include "core/editing/calendar_window.h"
#include "gui/editing/calendar_window_view.h"
#include "gui/memory_release.h"

namespace {

using namespace std::chrono;

double secondsSince(steady_clock::time_point begin) {
    return duration<double>(steady_clock::now() - begin).count();
}

long residentKilobytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void report(const char* stage, steady_clock::time_point begin) {
    std::printf("%-34s %8.2f s   resident %7.1f MB   peak %7.1f MB\n", stage, secondsSince(begin),
                static_cast<double>(residentKilobytes()) / 1024.0,
                static_cast<double>(peakKilobytes()) / 1024.0);
    std::fflush(stdout);
}

std::string icsDate(year_month_day d) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02u%02u", static_cast<int>(d.year()),
                  static_cast<unsigned>(d.month()), static_cast<unsigned>(d.day()));
    return text;
}

// Days off and make-up days, four in five days off, from 1990 on.
std::string publishedFeed(int events) {
    std::string text =
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Example//Holidays//ZH\r\n"
        "X-WR-CALNAME:节假日\r\nX-WR-TIMEZONE:Asia/Shanghai\r\n";
    for (int i = 0; i < events; ++i) {
        const year_month_day d{sys_days{1990y / 1 / 1} + days{i}};
        const std::string date = icsDate(d);
        text += "BEGIN:VEVENT\r\nUID:" + std::to_string(i) + "@example\r\n";
        if (i % 5 == 4) {
            text += "DTSTART;TZID=Asia/Shanghai:" + date +
                    "T090000\r\nDTEND;TZID=Asia/Shanghai:" + date +
                    "T180000\r\nSUMMARY:春节 补班 第1天/共2天\r\n";
        } else {
            const year_month_day next{sys_days{d} + days{1}};
            text += "DTSTART;VALUE=DATE:" + date + "\r\nDTEND;VALUE=DATE:" + icsDate(next) +
                    "\r\nSUMMARY:国庆节、中秋节 假期 第" + std::to_string(i % 8 + 1) +
                    "天/共8天\r\n";
        }
        text += "END:VEVENT\r\n";
    }
    return text + "END:VCALENDAR\r\n";
}

// A feed as holiday subscriptions write it, with a district's events and a few the rules leave.
std::string mixedFeed() {
    std::string text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nX-WR-TIMEZONE:Asia/Shanghai\r\n";
    const auto add = [&](const std::string& lines) {
        text += "BEGIN:VEVENT\r\n" + lines + "END:VEVENT\r\n";
    };
    add("DTSTART;VALUE=DATE:20270101\r\nDTEND;VALUE=DATE:20270101\r\nSUMMARY:元旦 休\r\n");
    add("DTSTART;TZID=Asia/Shanghai:20270130T090000\r\nDTEND;TZID=Asia/Shanghai:"
        "20270130T180000\r\nSUMMARY:春节 补班 第1天/共2天\r\n");
    for (int d = 5; d <= 12; ++d) {
        const std::string day = (d < 10 ? "2027020" : "202702") + std::to_string(d);
        const std::string next = (d + 1 < 10 ? "2027020" : "202702") + std::to_string(d + 1);
        add("DTSTART;VALUE=DATE:" + day + "\r\nDTEND;VALUE=DATE:" + next +
            "\r\nSUMMARY:春节 假期 第" + std::to_string(d - 4) + "天/共8天\r\n");
    }
    add("DTSTART:20270219T230000Z\r\nDTEND:20270220T100000Z\r\nSUMMARY:春节 补班 第2天/共2天\r\n");
    add("DTSTART;VALUE=DATE:20270405\r\nSUMMARY:😊 清明节\r\n");
    add("DTSTART;VALUE=DATE:20270501\r\nDTEND;VALUE=DATE:20270506\r\nSUMMARY:"
        "劳动节放假，不上班\r\n");
    add("DTSTART;VALUE=DATE:20270425\r\nSUMMARY:😡 补班\r\n");
    add("DTSTART;VALUE=DATE:20270609\r\nSUMMARY:端午节\r\nDESCRIPTION:类型：节假日\r\n");
    add("DTSTART;VALUE=DATE:20270910\r\nSUMMARY:教师节\r\n");
    add("DTSTART;VALUE=DATE:20270306\r\nSUMMARY:Snow Make-up Day\r\n");
    add("DTSTART;VALUE=DATE:20271125\r\nDTEND;VALUE=DATE:20271127\r\nSUMMARY:Thanksgiving "
        "Holiday - No School\r\n");
    add("DTSTART;VALUE=DATE:20271211\r\nSUMMARY:Breakfast with Santa\r\n");
    add("DTSTART;TZID=Asia/Shanghai:20270301T073000\r\nDTEND;TZID=Asia/Shanghai:"
        "20270301T080000\r\nSUMMARY:升旗仪式\r\n");
    return text + "END:VCALENDAR\r\n";
}

int shot(const char* picture) {
    orvessa::backends::IcalCalendarReader reader;
    orvessa::editing::CalendarImportDialog dialog;
    dialog.prepare("节假日.ics", reader.read(mixedFeed()),
                   {{2027y / 1 / 1, 2027y / 1 / 1, 0, "元旦"}});
    orvessa::gui::CalendarImportView view(dialog);
    view.show();
    const auto until = steady_clock::now() + milliseconds(1500);
    while (steady_clock::now() < until) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    const bool saved =
        QGuiApplication::primaryScreen()->grabWindow(0).save(QString::fromUtf8(picture));
    return saved ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    int events = 19999;
    bool widgets = false;
    bool tree = false;
    bool oneByOne = false;
    const char* picture = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--widgets") == 0) {
            widgets = true;
        } else if (std::strcmp(argv[i], "--tree") == 0) {
            tree = true;
        } else if (std::strcmp(argv[i], "--shot") == 0 && i + 1 < argc) {
            picture = argv[++i];
        } else if (std::strcmp(argv[i], "--one-by-one") == 0) {
            oneByOne = true;
        } else {
            events = std::atoi(argv[i]);
        }
    }
    QApplication app(argc, argv);
    if (picture != nullptr) {
        return shot(picture);
    }
    report("start", steady_clock::now());

    std::string ics = publishedFeed(events);
    std::printf("file: %d events, %.2f MB\n", events, static_cast<double>(ics.size()) / 1e6);

    if (tree) {
        auto begin = steady_clock::now();
        icalcomponent* whole = icalparser_parse_string(ics.c_str());
        report("libical, the whole tree", begin);
        icalcomponent_free(whole);
        orvessa::gui::releaseFreedMemory();
        report("  tree freed", steady_clock::now());
    }

    auto begin = steady_clock::now();
    orvessa::backends::IcalCalendarReader reader;
    std::size_t reports = 0;
    orvessa::platform::CalendarEvents read =
        reader.read(ics, [&](std::size_t, std::size_t) { return ++reports > 0; });
    report("read, event by event", begin);
    std::printf("  %zu events, %zu unplaced, %zu progress reports\n", read.events.size(),
                read.unplaced.size(), reports);

    begin = steady_clock::now();
    orvessa::editing::ImportPlan plan = orvessa::editing::CalendarImportDialog::planFor(read, {});
    const std::size_t count = read.events.size() + read.unplaced.size();
    read = {};
    std::string().swap(ics);
    report("planned, file and events let go", begin);

    begin = steady_clock::now();
    orvessa::editing::CalendarImportDialog dialog;
    dialog.prepare("feed.ics", count, std::move(plan), {});
    report("dialog prepared", begin);
    std::printf("  %s\n", dialog.decisionLine.text().c_str());

    begin = steady_clock::now();
    {
        orvessa::gui::CalendarImportView view(dialog);
        view.show();
        QApplication::processEvents();
        report("view shown", begin);

        begin = steady_clock::now();
        dialog.setKind(0, 2);
        QApplication::processEvents();
        report("one row changed", begin);

        begin = steady_clock::now();
        const std::vector<orvessa::store::CalendarEntry> adds = dialog.entriesToAdd();
        const std::vector<orvessa::store::CalendarEntry> merged =
            orvessa::editing::withImported({}, adds);
        report("accepted and merged", begin);
        std::printf("  %zu entries\n", merged.size());
        if (oneByOne) {
            begin = steady_clock::now();
            std::vector<orvessa::store::CalendarEntry> entries;
            for (const orvessa::store::CalendarEntry& e : adds) {
                entries = orvessa::editing::replaceDates(std::move(entries), e.first, e.last, e);
            }
            report("merged one by one (the old OK)", begin);
        }

        begin = steady_clock::now();
        dialog.clear();
        QApplication::processEvents();
    }
    report("closed and let go", begin);

    if (widgets) {
        begin = steady_clock::now();
        auto* table = new QTableWidget(events, 5);
        for (int row = 0; row < events; ++row) {
            table->setItem(row, 0, new QTableWidgetItem(QStringLiteral("2027-02-06 星期六")));
            table->setItem(row, 1, new QTableWidgetItem(QStringLiteral("春节 假期")));
            auto* kind = new QComboBox(table);
            kind->addItems(
                {QStringLiteral("不导入"), QStringLiteral("停播"), QStringLiteral("调休上课")});
            table->setCellWidget(row, 2, kind);
            if (row % 5 == 4) {
                auto* t = new QComboBox(table);
                for (int i = 1; i <= 12; ++i) {
                    t->addItem(QString::number(i));
                }
                table->setCellWidget(row, 3, t);
            }
        }
        table->show();
        table->resizeColumnsToContents();
        QApplication::processEvents();
        report("a widget per row (the old list)", begin);
        delete table;
        orvessa::gui::releaseFreedMemory();
        report("  widgets deleted", steady_clock::now());
    }
    return 0;
}
