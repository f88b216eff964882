#pragma once

#include <QHash>
#include <QString>
#include <QStringView>
#include <functional>

// The key-value text of the project, feeder and machine settings files: "[Section]" header
// lines, then one "Key=Value" line per value, no spaces around "=", lines ended by CR LF.

// A section or key name, equal to any other that differs from it only in letter case.
struct CaselessName {
    QStringView text;
};
bool operator==(CaselessName left, CaselessName right);
size_t qHash(CaselessName name, size_t seed = 0);

// One section as read. The first line with a key wins. Every read takes the value to use when
// the key is missing or does not read as its type, so a damaged value never stops a load.
class IniSection {
public:
    QString read(const QString& key, const QString& fallback) const;
    int read(const QString& key, int fallback) const;
    double read(const QString& key, double fallback) const;  // "." separator only
    bool read(const QString& key, bool fallback) const;      // any non-zero integer is true

    // The number of keys, so a count read from the file can be held against what it holds.
    qsizetype size() const { return values_.size(); }

private:
    friend class IniDocument;
    const QStringView* find(const QString& key) const;

    QHash<CaselessName, QStringView> values_;  // views into the document's text
};

class IniDocument {
public:
    // Accepts CR LF, LF or CR line ends; lines outside a section or without "=" are ignored.
    static IniDocument parse(QString text);

    IniDocument(IniDocument&&) = default;
    IniDocument& operator=(IniDocument&&) = default;
    IniDocument(const IniDocument&) = delete;
    IniDocument& operator=(const IniDocument&) = delete;

    // The named section, matched without regard to letter case; empty when the text lacks it.
    const IniSection& section(const QString& name) const;

    // Every value with its section and key, names spelt as at their first appearance; in no
    // particular order.
    void forEachValue(const std::function<void(QStringView section, QStringView key,
                                               QStringView value)>& visit) const;

private:
    IniDocument() = default;

    QString text_;  // the sections hold views into it
    QHash<CaselessName, IniSection> sections_;
};

class IniWriter {
public:
    void section(const QString& name);
    // Text is written as it is, except that line breaks become spaces: the format has no
    // escape, and a break would let a value start lines of its own.
    void write(const QString& key, const QString& value);
    void write(const QString& key, int value);
    void write(const QString& key, double value);                // FormatReal: 10 decimals
    void write(const QString& key, bool value);                  // "1" or "0"
    void write(const QString& key, const char* value) = delete;  // would pick the bool one

    // The file's text; the caller chooses its encoding.
    const QString& text() const { return text_; }

private:
    void line(const QString& text);

    QString text_;
};
