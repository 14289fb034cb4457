#pragma once

#include <QList>
#include <QString>

// What the scanner sends after each code (key ScanSuffix of [GESTBCOD]). None frames scans by
// silence alone; with a suffix, the suffix ends a code the moment it arrives.
class ScanSuffix {
public:
    enum class Kind { None, CR, LF, CRLF, Tab };
    static inline const QString Key = QStringLiteral("ScanSuffix");

    ScanSuffix() = default;
    explicit ScanSuffix(Kind kind) : kind_(kind) {}

    // A value of the key: CR, LF, CRLF or TAB in any letter case, blanks around ignored. Any
    // other text is none; known tells whether the text was one of those (or empty).
    static ScanSuffix FromValue(const QString& value, bool* known = nullptr);
    // Every kind, in the order the settings dialog offers them.
    static QList<Kind> All();

    Kind Which() const { return kind_; }
    bool IsSet() const { return kind_ != Kind::None; }
    // The key's value: "CR", "LF", "CRLF", "TAB"; empty for none.
    QString Value() const;
    // The characters that end a code; empty for none.
    QString Characters() const;
    // As the settings dialog names it: "nothing", "CR", "LF", "CR LF", "Tab".
    QString Caption() const;

    friend bool operator==(const ScanSuffix&, const ScanSuffix&) = default;

private:
    Kind kind_ = Kind::None;
};
