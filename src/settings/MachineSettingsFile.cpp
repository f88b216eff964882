#include "settings/MachineSettingsFile.h"

#include <QFileDevice>
#include <QHash>
#include <algorithm>
#include <limits>
#include <utility>

#include "settings/IniText.h"
#include "settings/MachineSettingsStore.h"
#include "settings/TextEncoding.h"

namespace {

// QSettings keeps the keys outside any group in this section.
const QString kGeneralSection = QStringLiteral("General");

// Every section of a file that QSettings wrote has a "%20" in its name, since every section
// of the store has a space in its name.
bool writtenWithEscapes(const IniDocument& document) {
    bool escaped = false;
    document.forEachValue([&escaped](QStringView section, QStringView, QStringView) {
        escaped = escaped || section.contains(u"%20");
    });
    return escaped;
}

// QSettings writes a name's characters other than letters, digits, "-", "_" and "." as %XX
// (%UXXXX above 0xFF), and "/" as "\".
QString unescapedName(QStringView name) {
    QString plain;
    for (qsizetype at = 0; at < name.size(); ++at) {
        const QChar character = name[at];
        const bool wide = name.sliced(at).startsWith(u"%U");
        const qsizetype digits = wide ? 4 : 2;
        const qsizetype from = at + (wide ? 2 : 1);
        bool isHex = false;
        const uint code = character == u'%' && from + digits <= name.size()
                              ? name.sliced(from, digits).toUInt(&isHex, 16)
                              : 0;
        if (isHex) {
            plain += QChar(static_cast<char16_t>(code));
            at = from + digits - 1;
        } else {
            plain += character == u'\\' ? QChar(u'/') : character;
        }
    }
    return plain;
}

QChar escapedCharacter(QChar letter) {
    static constexpr std::pair<char16_t, char16_t> kEscapes[] = {
        {u'a', u'\a'}, {u'b', u'\b'}, {u'f', u'\f'}, {u'n', u'\n'},
        {u'r', u'\r'}, {u't', u'\t'}, {u'v', u'\v'}, {u'0', u'\0'},
    };
    for (const auto& [name, character] : kEscapes) {
        if (letter == name) {
            return character;
        }
    }
    return letter;
}

// A text value as QSettings writes it: quoted when it holds "," ";" "=" or edge spaces, "\"
// escapes, a leading "@" doubled. An unquoted comma made a list, whose items read joined.
QString unescapedValue(QStringView value) {
    QStringList items;
    QString item;
    bool quoted = false;
    bool hadQuotes = false;
    const auto endItem = [&] {
        items.append(hadQuotes ? item : item.trimmed());
        item.clear();
        hadQuotes = false;
    };
    for (qsizetype at = 0; at < value.size(); ++at) {
        const QChar character = value[at];
        if (character == u'"') {
            quoted = !quoted;
            hadQuotes = true;
        } else if (character == u'\\' && at + 1 < value.size()) {
            item += escapedCharacter(value[++at]);
        } else if (character == u',' && !quoted) {
            endItem();
        } else {
            item += character;
        }
    }
    endItem();
    QString text = items.join(QStringLiteral(", "));
    return text.startsWith(QStringLiteral("@@")) ? text.sliced(1) : text;
}

// The setting's own spelling of a path that names it in another letter case.
QString knownSpelling(const QString& path) {
    static const QHash<QString, QString> spellings = [] {
        QHash<QString, QString> byFolded;
        for (const QString& known : MachineSettingsWriteOrder()) {
            byFolded.insert(known.toCaseFolded(), known);
        }
        return byFolded;
    }();
    return spellings.value(path.toCaseFolded(), path);
}

QString settingPath(const QString& section, const QString& key) {
    return section.compare(kGeneralSection, Qt::CaseInsensitive) == 0 ? key : section + u'/' + key;
}

// Known settings in save order, any others after them in the map's order.
QStringList pathsInSaveOrder(const QSettings::SettingsMap& map) {
    static const QStringList saveOrder = MachineSettingsWriteOrder();
    QStringList paths = map.keys();
    const auto rank = [](const QString& path) {
        const qsizetype index = saveOrder.indexOf(path);
        return index < 0 ? std::numeric_limits<qsizetype>::max() : index;
    };
    std::ranges::stable_sort(paths, {}, rank);
    return paths;
}

QString valueText(const QVariant& value) {
    return value.typeId() == QMetaType::QStringList ? value.toStringList().join(u", ")
                                                    : value.toString();
}

}  // namespace

QSettings::Format MachineSettingsFileFormat() {
    static const QSettings::Format format =
        QSettings::registerFormat(QStringLiteral("ini"), ReadMachineSettingsFile,
                                  WriteMachineSettingsFile, Qt::CaseSensitive);
    return format;
}

bool ReadMachineSettingsFile(QIODevice& device, QSettings::SettingsMap& map) {
    const IniDocument document = IniDocument::parse(DecodeText(device.readAll()));
    const bool escaped = writtenWithEscapes(document);
    document.forEachValue([&](QStringView section, QStringView key, QStringView value) {
        const QString path =
            knownSpelling(escaped ? settingPath(unescapedName(section), unescapedName(key))
                                  : settingPath(section.toString(), key.toString()));
        // One search of the map, not two: a large file has hundreds of thousands of keys.
        const auto place = map.lowerBound(path);
        if (place == map.end() || place.key() != path) {
            map.insert(place, path, escaped ? unescapedValue(value) : value.toString());
        }
    });
    return true;
}

bool WriteMachineSettingsFile(QIODevice& device, const QSettings::SettingsMap& map) {
    // Sections in the order their first setting is saved; each holds its keys in save order.
    QStringList sections;
    QHash<QString, QStringList> pathsBySection;
    for (const QString& path : pathsInSaveOrder(map)) {
        const qsizetype slash = path.lastIndexOf(u'/');
        const QString section = slash < 0 ? kGeneralSection : path.first(slash);
        if (!pathsBySection.contains(section)) {
            sections.append(section);
        }
        pathsBySection[section].append(path);
    }
    IniWriter writer;
    for (const QString& section : sections) {
        writer.section(section);
        for (const QString& path : pathsBySection[section]) {
            writer.write(path.sliced(path.lastIndexOf(u'/') + 1), valueText(map[path]));
        }
    }
    const QByteArray bytes = writer.text().toUtf8();
    if (device.write(bytes) != bytes.size()) {
        return false;
    }
    // The file is committed after this returns, and a failure of the flush on closing would
    // go unnoticed there: a half-written file would replace the whole one.
    auto* file = qobject_cast<QFileDevice*>(&device);
    return !file || file->flush();
}
