#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "counting/AppRecord.h"
#include "counting/KeyFrequencyTable.h"

// The key-frequency dialog's rows and its two exports, shared by the dialog and the
// command-line tool so both produce the same bytes.
class KeyFrequencyReport {
public:
    struct Row {
        std::string Count;  // grouped ("1,234")
        std::string Key;    // display name
    };

    // The figures the HTML page shows besides the rows.
    struct Figures {
        std::string AccountName;
        std::int32_t CurrentKeys = 0;
        std::int32_t CurrentClicks = 0;
        std::int32_t TotalKeys = 0;
        std::int32_t TotalClicks = 0;
        std::int32_t KeysSinceLastReset = 0;
        std::int64_t LastReset = 0;  // seconds since 1970
        bool KeepRecord = false;
        // The footer's link: the project's home page, as the About page has it.
        std::string HomePage;

        // The figures the dialog is opened with.
        static Figures From(const AppRecord& record);
    };

    // The table's entries, larger counts first (compared unsigned), counts grouped.
    static std::vector<Row> Rows(const KeyFrequencyTable& table);

    // The element name an XML export uses for a display name.
    static std::string ElementName(const std::string& displayName);

    // The XML text with line feeds: `rowCount` entries in the table's own order.
    static std::string Xml(const KeyFrequencyTable& table, std::size_t rowCount);

    // The HTML page with line feeds, the rows as the list shows them.
    static std::string Html(const Figures& figures, const std::vector<Row>& rows);

    // Every line feed as carriage return plus line feed, as the exports are written.
    static std::string WithCrLf(const std::string& text);

    // Writes an export with carriage return plus line feed line ends in place of the file, at
    // once and through a symbolic link (ReplaceUserFile); anything but a regular file or a new
    // path is refused. False with the reason in `error`; a previous file then stays as it was.
    static bool WriteExport(const std::string& file, const std::string& text, std::string* error);

    // "%Y/%m/%d %H:%M:%S" in local time; "Unknown" when the time cannot be converted.
    static std::string LocalTime(std::int64_t seconds);

    // The dialog's reset-date text: "Unknown" for a time of at most 10.
    static std::string ResetDate(std::int64_t seconds);
};
