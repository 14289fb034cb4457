#include "platform/ProfileFile.h"

#include "platform/Files.h"
#include "platform/RuntimeError.h"

#include <QStringConverter>

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

// How the file's bytes are text: UTF-8 when the whole file is valid UTF-8 and holds more than
// ASCII, else the Windows code page's one byte per character, as files from older stations are.
enum class Encoding { Latin1, Utf8 };

Encoding encodingOf(const QByteArray& data)
{
    const bool ascii = std::all_of(data.cbegin(), data.cend(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii)
        return Encoding::Latin1;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    static_cast<void>(QString(utf8(data)));
    return utf8.hasError() ? Encoding::Latin1 : Encoding::Utf8;
}

QString decode(const QByteArray& bytes, Encoding encoding)
{
    return encoding == Encoding::Utf8 ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
}

QByteArray encode(const QString& text, Encoding encoding)
{
    return encoding == Encoding::Utf8 ? text.toUtf8() : text.toLatin1();
}

// The file's content; empty when it is missing. A file that is no regular file or is larger
// than the bound throws RuntimeError.
QByteArray readFile(const QString& file)
{
    try {
        return Files::ReadBounded(file, ProfileFile::MaxFileSize);
    } catch (const RuntimeError& e) {
        if (e.Number() == RuntimeError::FileNotFound)
            return QByteArray();
        throw;
    }
}

// As readFile, but a file that cannot be read reads as empty: every key has its default.
QByteArray readOrNothing(const QString& file)
{
    try {
        return readFile(file);
    } catch (const RuntimeError&) {
        return QByteArray();
    }
}

// What a line is to the profile reader.
struct Parsed {
    enum Kind { Other, Section, Key } kind = Other;
    QString name;     // section or key name as written
    QByteArray value; // key value, trimmed and unquoted
};

Parsed parseLine(const QByteArray& raw, Encoding encoding)
{
    Parsed p;
    const QByteArray text = trimBlanks(raw);
    if (text.isEmpty() || text[0] == ';')
        return p;
    if (text[0] == '[') {
        qsizetype close = text.indexOf(']');
        p.kind = Parsed::Section;
        p.name = decode(trimBlanks(text.mid(1, close < 0 ? -1 : close - 1)), encoding);
        return p;
    }
    qsizetype eq = text.indexOf('=');
    if (eq < 0)
        return p;
    p.kind = Parsed::Key;
    p.name = decode(trimBlanks(text.left(eq)), encoding);
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

SectionRange findSection(const std::vector<Line>& lines, Encoding encoding, const QString& section, const QString& key)
{
    SectionRange range;
    bool inside = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const Parsed p = parseLine(lines[i].text, encoding);
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

std::optional<QString> lookup(const QString& file, const QString& section, const QString& key)
{
    const QByteArray data = readOrNothing(file);
    const Encoding encoding = encodingOf(data);
    const std::vector<Line> lines = splitLines(data);
    const SectionRange range = findSection(lines, encoding, section, key);
    if (!range.key)
        return std::nullopt;
    return decode(parseLine(lines[*range.key].text, encoding).value, encoding);
}

} // namespace

QList<std::pair<QString, QString>> ProfileFile::ReadSection(const QString& file, const QString& section)
{
    QList<std::pair<QString, QString>> keys;
    const QByteArray data = readOrNothing(file);
    const Encoding encoding = encodingOf(data);
    const std::vector<Line> lines = splitLines(data);
    const SectionRange range = findSection(lines, encoding, section, QString());
    if (!range.header)
        return keys;
    for (size_t i = *range.header + 1; i < range.end; ++i) {
        const Parsed p = parseLine(lines[i].text, encoding);
        // A key without a name ("=3") cannot be read by name either: it is no key of the section.
        if (p.kind != Parsed::Key || p.name.isEmpty())
            continue;
        const bool seen = std::any_of(keys.cbegin(), keys.cend(), [&](const auto& key) { return sameName(key.first, p.name); });
        if (!seen)
            keys.append({p.name, decode(p.value, encoding)});
    }
    return keys;
}

QString ProfileFile::ReadString(const QString& file, const QString& section, const QString& key,
                                const QString& defaultValue, int bufferSize)
{
    const auto value = lookup(file, section, key);
    QString result = value ? *value : defaultValue;
    if (bufferSize > 0 && result.size() > bufferSize - 1)
        result.truncate(bufferSize - 1);
    return result;
}

qint64 ProfileFile::ReadInt(const QString& file, const QString& section, const QString& key, qint64 defaultValue)
{
    const auto value = lookup(file, section, key);
    if (!value)
        return defaultValue;
    const QByteArray v = value->toLatin1();
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
    // A line end would end the line early and make the rest a line of its own: another key.
    if (value.contains(QLatin1Char('\r')) || value.contains(QLatin1Char('\n'))) {
        if (error)
            *error = QStringLiteral("the value of %1 holds a line end, which the file cannot keep").arg(key);
        return false;
    }
    QByteArray data;
    try {
        data = readFile(file);
    } catch (const RuntimeError& e) {
        // Writing without what the file holds would throw its other settings away.
        if (error)
            *error = e.Description();
        return false;
    }
    // Written back in the encoding it was read in; a file of ASCII only stays in the Windows
    // code page, as stations write it.
    const Encoding encoding = encodingOf(data);
    std::vector<Line> lines = splitLines(data);
    QByteArray eol = "\r\n";
    for (const Line& l : lines) {
        if (l.end.endsWith('\n')) {
            eol = l.end;
            break;
        }
    }

    const SectionRange range = findSection(lines, encoding, section, key);
    if (range.key) {
        Line& line = lines[*range.key];
        const Parsed p = parseLine(line.text, encoding);
        line.text = encode(p.name, encoding) + '=' + encode(value, encoding);
    } else {
        size_t at;
        if (range.header) {
            at = (range.lastKey ? *range.lastKey : *range.header) + 1;
        } else {
            if (!lines.empty())
                endLine(lines.back(), eol);
            lines.push_back({'[' + encode(section, encoding) + ']', eol});
            at = lines.size();
        }
        if (at > 0)
            endLine(lines[at - 1], eol);
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), Line{encode(key, encoding) + '=' + encode(value, encoding), eol});
    }

    QByteArray out;
    for (const Line& l : lines)
        out += l.text + l.end;

    try {
        Files::WriteAtomically(file, out, Files::Folder::MustExist);
    } catch (const RuntimeError& e) {
        if (error)
            *error = e.Description();
        return false;
    }
    return true;
}

QString ProfileFile::Refusal(const QString& file)
{
    try {
        readFile(file);
    } catch (const RuntimeError& e) {
        return e.Description();
    }
    return QString();
}
