#include "settings/IniText.h"

#include <QRegularExpression>
#include <algorithm>

#include "settings/NumberText.h"

namespace {

// Names are nearly always ASCII, so that case skips the Unicode tables.
char16_t folded(QChar c) {
    const char16_t unit = c.unicode();
    if (unit < 0x80) {
        return unit >= u'A' && unit <= u'Z' ? unit + (u'a' - u'A') : unit;
    }
    return c.toCaseFolded().unicode();
}

// Calls `visit` with every line of `text` without its end: CR LF, LF or a lone CR.
template <typename Visit>
void forEachLine(QStringView text, Visit visit) {
    qsizetype begin = 0;
    for (qsizetype at = 0; at < text.size(); ++at) {
        if (text[at] != u'\n' && text[at] != u'\r') {
            continue;
        }
        visit(text.sliced(begin, at - begin));
        if (text[at] == u'\r' && at + 1 < text.size() && text[at + 1] == u'\n') {
            ++at;
        }
        begin = at + 1;
    }
    visit(text.sliced(begin));
}

}  // namespace

bool operator==(CaselessName left, CaselessName right) {
    return std::ranges::equal(left.text, right.text,
                              [](QChar a, QChar b) { return folded(a) == folded(b); });
}

// FNV-1a over the folded units, started from QHash's seed.
size_t qHash(CaselessName name, size_t seed) {
    quint64 hash = 0xcbf29ce484222325ULL ^ seed;
    for (QChar c : name.text) {
        hash = (hash ^ folded(c)) * 0x100000001b3ULL;
    }
    return static_cast<size_t>(hash);
}

const QStringView* IniSection::find(const QString& key) const {
    const auto found = values_.constFind(CaselessName{key});
    return found == values_.cend() ? nullptr : &found.value();
}

QString IniSection::read(const QString& key, const QString& fallback) const {
    const QStringView* value = find(key);
    return value ? value->toString() : fallback;
}

int IniSection::read(const QString& key, int fallback) const {
    const QStringView* value = find(key);
    return value ? ParseInteger(*value).value_or(fallback) : fallback;
}

double IniSection::read(const QString& key, double fallback) const {
    const QStringView* value = find(key);
    return value ? ParseReal(*value).value_or(fallback) : fallback;
}

bool IniSection::read(const QString& key, bool fallback) const {
    const QStringView* value = find(key);
    if (!value) {
        return fallback;
    }
    const auto number = ParseInteger(*value);
    return number ? *number != 0 : fallback;
}

IniDocument IniDocument::parse(QString text) {
    IniDocument document;
    document.text_ = std::move(text);
    IniSection* current = nullptr;
    forEachLine(document.text_, [&](QStringView line) {
        const QStringView trimmed = line.trimmed();
        if (trimmed.startsWith(u'[') && trimmed.endsWith(u']')) {
            current = &document.sections_[CaselessName{trimmed.sliced(1).chopped(1).trimmed()}];
            return;
        }
        const qsizetype equals = line.indexOf(u'=');
        const QStringView key = equals < 0 ? QStringView() : line.first(equals).trimmed();
        if (current && !key.isEmpty() && !current->values_.contains(CaselessName{key})) {
            current->values_.insert(CaselessName{key}, line.sliced(equals + 1));
        }
    });
    return document;
}

const IniSection& IniDocument::section(const QString& name) const {
    static const IniSection empty;
    const auto found = sections_.constFind(CaselessName{name});
    return found == sections_.cend() ? empty : found.value();
}

void IniDocument::forEachValue(
    const std::function<void(QStringView, QStringView, QStringView)>& visit) const {
    for (auto section = sections_.cbegin(); section != sections_.cend(); ++section) {
        const auto& values = section.value().values_;
        for (auto value = values.cbegin(); value != values.cend(); ++value) {
            visit(section.key().text, value.key().text, value.value());
        }
    }
}

void IniWriter::section(const QString& name) {
    line(u'[' + name + u']');
}

void IniWriter::write(const QString& key, const QString& value) {
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QString singleLine = value;
    line(key + u'=' + singleLine.replace(lineBreak, QStringLiteral(" ")));
}

void IniWriter::write(const QString& key, int value) {
    line(key + u'=' + QString::number(value));
}

void IniWriter::write(const QString& key, double value) {
    line(key + u'=' + FormatReal(value));
}

void IniWriter::write(const QString& key, bool value) {
    line(key + (value ? QStringLiteral("=1") : QStringLiteral("=0")));
}

void IniWriter::line(const QString& text) {
    text_ += text;
    text_ += QStringLiteral("\r\n");
}
