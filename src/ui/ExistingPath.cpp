#include "ui/ExistingPath.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace useropts {

QString matchExistingPathIgnoringCase(const QString& path)
{
    const QString clean = QDir::cleanPath(QDir::fromNativeSeparators(path));
    if (QDir::isRelativePath(clean) || QFileInfo::exists(clean))
        return path;
    const QStringList parts = clean.split(u'/');
    QString matched = parts.first(); // empty for an absolute path
    qsizetype i = 1;
    for (; i < parts.size(); ++i) {
        const QString& part = parts[i];
        const QString exact = matched + u'/' + part;
        if (QFileInfo::exists(exact)) {
            matched = exact;
            continue;
        }
        const QDir dir(matched.isEmpty() ? QStringLiteral("/") : matched);
        const QStringList entries = dir.entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
        const auto found = std::find_if(entries.begin(), entries.end(), [&](const QString& e) {
            return e.compare(part, Qt::CaseInsensitive) == 0;
        });
        if (found == entries.end())
            break;
        matched += u'/' + *found;
    }
    for (; i < parts.size(); ++i)
        matched += u'/' + parts[i];
    return QDir::toNativeSeparators(matched);
}

} // namespace useropts
