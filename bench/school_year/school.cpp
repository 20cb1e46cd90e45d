#include "school_year/school.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

#include "core/store/school_calendar.h"
#include "core/store/system_config.h"
#include "core/text/gbk.h"
#include "core/text/time_text.h"

namespace orvessa::school_year {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono;

constexpr int hms(int h, int m, int s = 0) {
    return h * 3600 + m * 60 + s;
}

Seconds wallSecondsOf(year_month_day date, int secondOfDay) {
    return static_cast<Seconds>(sys_days{date}.time_since_epoch().count()) * 86400 + secondOfDay;
}

year_month_day lastSunday(year y, month m) {
    return year_month_day{sys_days{year_month_weekday_last{y, m, weekday_last{Sunday}}}};
}

void writeBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

constexpr const char* kFolder = "AUDIO\\music\\";
constexpr const char* kPage = "http://intranet.school.example/news";
constexpr const char* kProgram = "值日表.xls";

// A class period: the warning bell two minutes before, the start and the end bells.
void period(std::vector<Row>& rows, int start, int number) {
    const std::string n = std::to_string(number);
    rows.push_back({start - 120, "第" + n + "节预备", "chime.wav", -1});
    rows.push_back({start, "第" + n + "节上课", "bell.wav", -1});
    rows.push_back({start + 45 * 60, "第" + n + "节下课", "bell.wav", -1});
}

// A weekday's table: every timed row comes well after whatever the row before it plays has
// ended, even late by a notice or a stall, so that no fault can make one wait for another.
std::vector<Row> weekdayTable(int weekday) {
    std::vector<Row> rows;
    rows.push_back({hms(6, 30), "起床", "bell.wav", -1});
    rows.push_back({hms(6, 50), "早操", "exercise.mp3", -1});
    rows.push_back({-1, "眼保健操", "eyes.mp3", -1});
    if (weekday == 1) {  // the flag ceremony
        rows.push_back({hms(7, 20), "升旗", "anthem.mp3", -1});
        rows.push_back({-1, "国旗下讲话", "speech.mp3", -1});
        rows.push_back({hms(7, 35), "集会结束", "bell.wav", -1});
    }
    period(rows, hms(8, 0), 1);
    period(rows, hms(8, 55), 2);
    rows.push_back({hms(9, 42), "大课间", kFolder, hms(10, 5)});
    period(rows, hms(10, 10), 3);
    period(rows, hms(11, 5), 4);
    rows.push_back({hms(12, 0), "午间新闻", kPage, hms(12, 8)});
    rows.push_back({hms(12, 10), "校园广播", "news.mp3", -1});
    rows.push_back({-1, "点歌一", "a.mp3", -1});
    rows.push_back({-1, "点歌二", "c.mp3", -1});
    rows.push_back({hms(12, 30), "午休音乐", "long.mp3", hms(13, 0)});
    rows.push_back({hms(13, 30), "午休结束", "bell.wav", -1});
    rows.push_back({hms(13, 35), "值日表", kProgram, hms(13, 40)});
    rows.push_back({hms(13, 45), "眼保健操", "eyes.mp3", -1});
    period(rows, hms(14, 0), 5);
    period(rows, hms(14, 55), 6);
    period(rows, hms(15, 50), 7);
    if (weekday != 5) {
        period(rows, hms(16, 45), 8);
    } else {
        rows.push_back({hms(16, 45), "班会", "bell.wav", -1});
        rows.push_back({hms(17, 25), "班会结束", "bell.wav", -1});
    }
    rows.push_back({hms(17, 35), "放学", "anthem.mp3", -1});
    rows.push_back({-1, "放学歌曲", "b.mp3", -1});
    rows.push_back({hms(17, 45), "放学音乐", kFolder, hms(18, 5)});
    if (weekday == 5) {  // Friday: the week's notices instead of evening study
        rows.push_back({hms(18, 10), "周末提醒", "speech.mp3", -1});
        rows.push_back({-1, "周末歌曲", "a.mp3", -1});
        return rows;
    }
    rows.push_back({hms(18, 50), "晚自习预备", "chime.wav", -1});
    rows.push_back({hms(19, 0), "晚自习一", "bell.wav", -1});
    rows.push_back({hms(19, 45), "晚自习一下课", "bell.wav", -1});
    rows.push_back({hms(19, 55), "晚自习二", "bell.wav", -1});
    rows.push_back({hms(20, 40), "晚自习二下课", "bell.wav", -1});
    rows.push_back({hms(21, 0), "熄灯", "bell.wav", -1});
    return rows;
}

// The exam template: two papers in the morning, one in the afternoon, music at noon.
std::vector<Row> examTable() {
    std::vector<Row> rows;
    rows.push_back({hms(6, 30), "起床", "bell.wav", -1});
    auto paper = [&rows](int start, int minutes) {
        rows.push_back({start - 10 * 60, "考前十分钟", "chime.wav", -1});
        rows.push_back({start, "开考", "bell.wav", -1});
        rows.push_back({start + (minutes - 15) * 60, "结束前十五分钟", "chime.wav", -1});
        rows.push_back({start + minutes * 60, "收卷", "bell.wav", -1});
    };
    paper(hms(8, 0), 120);
    paper(hms(10, 30), 120);
    rows.push_back({hms(12, 40), "午间音乐", kFolder, hms(13, 20)});
    paper(hms(14, 30), 150);
    rows.push_back({hms(17, 20), "考试结束", "anthem.mp3", -1});
    rows.push_back({-1, "放学歌曲", "b.mp3", -1});
    return rows;
}

// The New Year's Eve party: the day as a Thursday, then the evening.
std::vector<Row> partyTable() {
    std::vector<Row> rows = weekdayTable(4);
    rows.resize(rows.size() - 6);  // no evening study
    rows.push_back({hms(18, 30), "晚会开场", "anthem.mp3", -1});
    rows.push_back({hms(18, 40), "晚会音乐", kFolder, hms(20, 30)});
    rows.push_back({hms(20, 35), "晚会结束", "bell.wav", -1});
    return rows;
}

// The sports day: the ceremony, music all morning, the prize giving.
std::vector<Row> sportsTable() {
    std::vector<Row> rows;
    rows.push_back({hms(6, 30), "起床", "bell.wav", -1});
    rows.push_back({hms(7, 50), "入场", "anthem.mp3", -1});
    rows.push_back({-1, "开幕致辞", "speech.mp3", -1});
    rows.push_back({hms(8, 10), "比赛音乐", kFolder, hms(11, 30)});
    rows.push_back({hms(11, 40), "午间新闻", kPage, hms(11, 50)});
    rows.push_back({hms(14, 0), "下午比赛", kFolder, hms(16, 30)});
    rows.push_back({hms(16, 40), "颁奖", "anthem.mp3", -1});
    rows.push_back({-1, "闭幕", "speech.mp3", -1});
    rows.push_back({hms(17, 30), "放学", "bell.wav", -1});
    return rows;
}

std::string clock(int seconds) {
    return seconds < 0 ? std::string()
                       : text::formatClockTime(seconds / 3600, seconds / 60 % 60, seconds % 60);
}

std::string tableFile(const std::vector<Row>& rows) {
    std::string text;
    int n = 0;
    for (const Row& r : rows) {
        text += std::to_string(++n) + "," + clock(r.start) + "," + r.label + "," + r.file + "," +
                clock(r.stop) + ",,\r\n";
    }
    return text::utf8ToGbk(text);
}

year_month_day ymd(int y, unsigned m, unsigned d) {
    return year_month_day{year(y), month(m), day(d)};
}

// The year's days off and make-up days as the school's office typed them from the official
// notice, with the exams, the sports day, the party and a dated stop for maintenance.
std::vector<store::CalendarEntry> schoolCalendar() {
    auto entry = [](year_month_day first, year_month_day last, int plan, const char* remark) {
        return store::CalendarEntry{first, last, plan, remark, 0};
    };
    return {
        entry(ymd(2026, 9, 27), ymd(2026, 9, 27), 4, "调休：按星期四上课"),
        entry(ymd(2026, 10, 1), ymd(2026, 10, 8), 0, "国庆节、中秋节"),
        entry(ymd(2026, 10, 10), ymd(2026, 10, 10), 5, "调休：按星期五上课"),
        entry(ymd(2026, 11, 11), ymd(2026, 11, 12), 8, "期中考试"),
        entry(ymd(2026, 11, 20), ymd(2026, 11, 20), 10, "秋季运动会"),
        entry(ymd(2026, 12, 31), ymd(2026, 12, 31), 9, "元旦晚会"),
        entry(ymd(2027, 1, 1), ymd(2027, 1, 3), 0, "元旦"),
        entry(ymd(2027, 1, 18), ymd(2027, 1, 20), 8, "期末考试"),
        entry(ymd(2027, 1, 23), ymd(2027, 2, 19), 0, "寒假"),
        entry(ymd(2027, 2, 6), ymd(2027, 2, 12), 0, "春节"),
        entry(ymd(2027, 2, 20), ymd(2027, 2, 20), 5, "调休：按星期五上课"),
        entry(ymd(2027, 3, 12), ymd(2027, 3, 12), 0, "停电检修"),
        entry(ymd(2027, 4, 3), ymd(2027, 4, 5), 0, "清明节"),
        entry(ymd(2027, 4, 25), ymd(2027, 4, 25), 1, "调休：按星期一上课"),
        entry(ymd(2027, 5, 1), ymd(2027, 5, 5), 0, "劳动节"),
        entry(ymd(2027, 5, 8), ymd(2027, 5, 8), 3, "调休：按星期三上课"),
        entry(ymd(2027, 6, 9), ymd(2027, 6, 11), 0, "端午节"),
        entry(ymd(2027, 6, 28), ymd(2027, 6, 30), 8, "期末考试"),
        entry(ymd(2027, 7, 3), ymd(2027, 8, 31), 0, "暑假"),
    };
}

// orvessa.sys: wait at the end of the table, no custom shutdown, anyone may operate, files of
// a folder in order, Saturdays and Sundays off, the holiday list in force.
std::string configFile(const fs::path& directory) {
    std::vector<std::string> entries(store::SystemConfig::kEntryCount, "0");
    entries[store::SystemConfig::kPassword] = "";
    entries[store::SystemConfig::kReserved] = "";
    entries[store::SystemConfig::kShutdownTimeOne] = "  :  :  ";
    entries[store::SystemConfig::kShutdownTimeTwo] = "  :  :  ";
    entries[store::SystemConfig::kEndOfDayAction] = "3";
    entries[store::SystemConfig::kPasswordMode] = "1";
    entries[store::SystemConfig::kMediaLibrary] = (directory / "AUDIO").string() + "/";
    entries[store::SystemConfig::kStopMonday + 5] = "1";
    entries[store::SystemConfig::kStopMonday + 6] = "1";
    entries[store::SystemConfig::kSubtitleText] = "欢迎使用校园广播";
    entries[store::SystemConfig::kCustomShutdownDisabled] = "1";
    std::string text;
    for (const std::string& e : entries) {
        text += e + "\r\n";
    }
    return text::utf8ToGbk(text);
}

}  // namespace

Zone shanghai() {
    return {"Asia/Shanghai", {}};
}

Zone berlin() {
    Zone zone{"Europe/Berlin", {}};
    zone.steps[wallSecondsOf(lastSunday(year(2026), October), hms(3, 0))] = -3600;
    zone.steps[wallSecondsOf(lastSunday(year(2027), March), hms(2, 0))] = 3600;
    return zone;
}

Tables schoolTables() {
    Tables tables;
    for (int weekday = 1; weekday <= 7; ++weekday) {
        tables["zxsj" + std::to_string(weekday) + ".log"] = weekdayTable(weekday);
    }
    tables["zxsj8.log"] = examTable();
    tables["zxsj9.log"] = partyTable();
    tables["zxsj10.log"] = sportsTable();
    return tables;
}

const std::map<std::string, int64_t>& mediaLengths() {
    static const std::map<std::string, int64_t> kLengths = {
        {"bell.wav", 8400},       {"chime.wav", 5250},      {"exercise.mp3", 180450},
        {"eyes.mp3", 300200},     {"news.mp3", 95300},      {"a.mp3", 20500},
        {"b.mp3", 31700},         {"c.mp3", 12250},         {"long.mp3", 2400900},
        {"anthem.mp3", 61700},    {"speech.mp3", 240000},   {"m1.mp3", 185300},
        {"m2.mp3", 203700},       {"m3.mp3", 176900},       {"通知-集会.wav", 24500},
        {"通知-放学.wav", 18200}, {"通知-演练.wav", 31400},
    };
    return kLengths;
}

std::vector<std::string> faultableMedia() {
    // Only what untimed rows and folders play: a timed row whose file is gone cannot ring.
    return {"music/m1.mp3", "music/m2.mp3", "music/m3.mp3", "a.mp3", "b.mp3", "c.mp3"};
}

std::vector<std::string> noticeNames() {
    return {"通知-集会.wav", "通知-放学.wav", "通知-演练.wav"};
}

std::string mediumContent(int64_t milliseconds) {
    return "LEN:" + std::to_string(milliseconds) + "\n";
}

void writeSchool(const fs::path& directory) {
    const fs::path library = directory / "AUDIO";
    fs::create_directories(library / "music");
    fs::create_directories(library / "广播");
    const std::vector<std::string> notices = noticeNames();
    for (const auto& [name, length] : mediaLengths()) {
        const bool notice = std::find(notices.begin(), notices.end(), name) != notices.end();
        const bool music = name.starts_with("m") && name.size() == 6;
        const fs::path folder = notice ? library / "广播" : music ? library / "music" : library;
        writeBytes(folder / name, mediumContent(length));
    }
    writeBytes(library / kProgram, "not a medium\n");
    writeBytes(directory / store::SystemConfig::kFileName, configFile(directory));
    for (const auto& [name, rows] : schoolTables()) {
        if (rows.size() < 9) {
            throw std::logic_error(name + " has too few rows");
        }
        writeBytes(directory / name, tableFile(rows));
    }
    writeBytes(directory / "zxsj0.gxr",
               text::utf8ToGbk("1,10-1,10-7,国庆节,\r\n2,1-1,,元旦,\r\n3,5-1,5-3,劳动节,\r\n"));
    if (!store::writeCalendarFile(directory, schoolCalendar())) {
        throw std::runtime_error("cannot write the calendar in " + directory.string());
    }
}

std::vector<ExpectedDay> expectedDays() {
    // Counted from the tables above by hand. A Tuesday has 45 rows, 41 of them timed: rows 3,
    // 19, 20 and 38 follow the row before. A Monday adds the flag ceremony (three rows, two
    // timed); a Friday has 40 rows, 35 timed, and ends with row 39 at 18:10. The exam template
    // has 15 timed rows of 16; the party is a Thursday without evening study and three rows of
    // its own, 42 rows of which 38 are timed.
    return {
        {ymd(2026, 9, 1), "zxsj2.log", false, 41, "06:30:00 row=1", "21:00:00 row=45"},
        {ymd(2026, 9, 5), "zxsj6.log", true, 0, "", ""},
        {ymd(2026, 9, 7), "zxsj1.log", false, 43, "06:30:00 row=1", "21:00:00 row=48"},
        {ymd(2026, 9, 27), "zxsj4.log", false, 41, "06:30:00 row=1", "21:00:00 row=45"},
        {ymd(2026, 10, 1), "zxsj4.log", true, 0, "", ""},
        {ymd(2026, 10, 10), "zxsj5.log", false, 35, "06:30:00 row=1", "18:10:00 row=39"},
        {ymd(2026, 11, 11), "zxsj8.log", false, 15, "06:30:00 row=1", "17:20:00 row=15"},
        {ymd(2026, 12, 31), "zxsj9.log", false, 38, "06:30:00 row=1", "20:35:00 row=42"},
        {ymd(2027, 2, 10), "zxsj3.log", true, 0, "", ""},
        {ymd(2027, 3, 12), "zxsj5.log", true, 0, "", ""},
    };
}

}  // namespace orvessa::school_year
