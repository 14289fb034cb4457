#include "platform/ProfileFile.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <limits>
#include <optional>
#include <vector>

namespace {

// One line of the file as stored, with its line end kept apart.
struct Line {
    QByteArray text;
    QByteArray end;
};

std::vector<Line> splitLines(const QByteArray& data)
{
    std::vector<Line> lines;
    qsizetype start = 0;
    while (start < data.size()) {
        qsizetype nl = data.indexOf('\n', start);
        Line line;
        if (nl < 0) {
            // A carriage return that ends the file ends its last line, as it would before a
            // line feed: the value must not change when a later write appends one.
            qsizetype textEnd = data.size();
            if (data.back() == '\r')
                --textEnd;
            line.text = data.mid(start, textEnd - start);
            line.end = data.mid(textEnd);
            start = data.size();
        } else {
            qsizetype textEnd = nl;
            if (textEnd > start && data[textEnd - 1] == '\r')
                --textEnd;
            line.text = data.mid(start, textEnd - start);
            line.end = data.mid(textEnd, nl + 1 - textEnd);
            start = nl + 1;
        }
        lines.push_back(line);
    }
    return lines;
}

// A line that another line may follow: a last line without an end, or ending in a lone
// carriage return, gets a line feed (the file's own line end when it has none at all).
void endLine(Line& line, const QByteArray& eol)
{
    if (line.end.isEmpty())
        line.end = eol;
    else if (!line.end.endsWith('\n'))
        line.end += '\n';
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArray trimBlanks(const QByteArray& text)
{
    qsizetype b = 0;
    qsizetype e = text.size();
    while (b < e && isBlank(text[b]))
        ++b;
    while (e > b && isBlank(text[e - 1]))
        --e;
    return text.mid(b, e - b);
}

QString latin1(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes);
}

// What a line is to the profile reader.
struct Parsed {
    enum Kind { Other, Section, Key } kind = Other;
    QString name;     // section or key name as written
    QByteArray value; // key value, trimmed and unquoted
};

Parsed parseLine(const QByteArray& raw)
{
    Parsed p;
    const QByteArray text = trimBlanks(raw);
    if (text.isEmpty() || text[0] == ';')
        return p;
    if (text[0] == '[') {
        qsizetype close = text.indexOf(']');
        p.kind = Parsed::Section;
        p.name = latin1(trimBlanks(text.mid(1, close < 0 ? -1 : close - 1)));
        return p;
    }
    qsizetype eq = text.indexOf('=');
    if (eq < 0)
        return p;
    p.kind = Parsed::Key;
    p.name = latin1(trimBlanks(text.left(eq)));
    QByteArray value = trimBlanks(text.mid(eq + 1));
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        value = value.mid(1, value.size() - 2);
    p.value = value;
    return p;
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Index range of the first section with that name: header line and the lines up to the next header.
struct SectionRange {
    std::optional<size_t> header;
    std::optional<size_t> lastKey;
    std::optional<size_t> key; // the first line of the wanted key
    size_t end = 0;            // one past the section's last line
};

SectionRange findSection(const std::vector<Line>& lines, const QString& section, const QString& key)
{
    SectionRange range;
    bool inside = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const Parsed p = parseLine(lines[i].text);
        if (p.kind == Parsed::Section) {
            if (inside) {
                range.end = i;
                return range;
            }
            if (!range.header && sameName(p.name, section)) {
                range.header = i;
                inside = true;
            }
            continue;
        }
        if (inside && p.kind == Parsed::Key) {
            range.lastKey = i;
            if (!range.key && !key.isEmpty() && sameName(p.name, key))
                range.key = i;
        }
    }
    range.end = lines.size();
    return range;
}

std::optional<QByteArray> lookup(const QString& file, const QString& section, const QString& key)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const std::vector<Line> lines = splitLines(f.readAll());
    const SectionRange range = findSection(lines, section, key);
    if (!range.key)
        return std::nullopt;
    return parseLine(lines[*range.key].text).value;
}

} // namespace

QList<std::pair<QString, QString>> ProfileFile::ReadSection(const QString& file, const QString& section)
{
    QList<std::pair<QString, QString>> keys;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return keys;
    const std::vector<Line> lines = splitLines(f.readAll());
    const SectionRange range = findSection(lines, section, QString());
    if (!range.header)
        return keys;
    for (size_t i = *range.header + 1; i < range.end; ++i) {
        const Parsed p = parseLine(lines[i].text);
        // A key without a name ("=3") cannot be read by name either: it is no key of the section.
        if (p.kind != Parsed::Key || p.name.isEmpty())
            continue;
        const bool seen = std::any_of(keys.cbegin(), keys.cend(), [&](const auto& key) { return sameName(key.first, p.name); });
        if (!seen)
            keys.append({p.name, latin1(p.value)});
    }
    return keys;
}

QString ProfileFile::ReadString(const QString& file, const QString& section, const QString& key,
                                const QString& defaultValue, int bufferSize)
{
    const auto value = lookup(file, section, key);
    QString result = value ? latin1(*value) : defaultValue;
    if (bufferSize > 0 && result.size() > bufferSize - 1)
        result.truncate(bufferSize - 1);
    return result;
}

qint64 ProfileFile::ReadInt(const QString& file, const QString& section, const QString& key, qint64 defaultValue)
{
    const auto value = lookup(file, section, key);
    if (!value)
        return defaultValue;
    const QByteArray& v = *value;
    qsizetype i = 0;
    bool negative = false;
    if (i < v.size() && (v[i] == '-' || v[i] == '+'))
        negative = v[i++] == '-';
    qint64 n = 0;
    const qint64 limit = std::numeric_limits<qint64>::max() / 10 - 1;
    for (; i < v.size() && v[i] >= '0' && v[i] <= '9'; ++i)
        n = n > limit ? std::numeric_limits<qint64>::max() : n * 10 + (v[i] - '0');
    return negative ? -n : n;
}

bool ProfileFile::WriteString(const QString& file, const QString& section, const QString& key,
                              const QString& value, QString* error)
{
    QByteArray data;
    {
        QFile f(file);
        if (f.exists() && f.open(QIODevice::ReadOnly))
            data = f.readAll();
    }
    std::vector<Line> lines = splitLines(data);
    QByteArray eol = "\r\n";
    for (const Line& l : lines) {
        if (l.end.endsWith('\n')) {
            eol = l.end;
            break;
        }
    }

    const SectionRange range = findSection(lines, section, key);
    if (range.key) {
        Line& line = lines[*range.key];
        const Parsed p = parseLine(line.text);
        line.text = p.name.toLatin1() + '=' + value.toLatin1();
    } else {
        size_t at;
        if (range.header) {
            at = (range.lastKey ? *range.lastKey : *range.header) + 1;
        } else {
            if (!lines.empty())
                endLine(lines.back(), eol);
            lines.push_back({'[' + section.toLatin1() + ']', eol});
            at = lines.size();
        }
        if (at > 0)
            endLine(lines[at - 1], eol);
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), Line{key.toLatin1() + '=' + value.toLatin1(), eol});
    }

    QByteArray out;
    for (const Line& l : lines)
        out += l.text + l.end;

    QSaveFile save(file);
    if (!save.open(QIODevice::WriteOnly) || save.write(out) != out.size() || !save.commit()) {
        if (error)
            *error = save.errorString();
        return false;
    }
    return true;
}
