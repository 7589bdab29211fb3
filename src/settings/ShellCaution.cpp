#include "settings/ShellCaution.h"

#include "encodings/TextLines.h"
#include "settings/SettingsLayout.h"

#include <cstring>

namespace useropts {

namespace {

enum class LineKind
{
    Set,   // a variable the shell sets
    Rem,   // a comment, whose redirection the shell still carries out
    Label, // skipped by the shell
};

LineKind kindOf(const SettingRow& format)
{
    if (format.prefix.starts_with("Set "))
        return LineKind::Set;
    if (format.prefix.starts_with("rem "))
        return LineKind::Rem;
    return LineKind::Label;
}

QString effectOf(char character, LineKind kind)
{
    if (kind == LineKind::Rem) {
        switch (character) {
        case '>':
            return QStringLiteral("the DOS shell creates a file named by what follows on the boot "
                                  "disk");
        case '<':
            return QStringLiteral("the DOS shell tries to read a file named by what follows");
        default:
            return QStringLiteral("the DOS shell may run what follows as a command");
        }
    }
    switch (character) {
    case '>':
        return QStringLiteral("the DOS shell cuts the value there and writes into a new file "
                              "named by the rest, on the boot disk");
    case '<':
        return QStringLiteral("the DOS shell cuts the value there and reads from a file named by "
                              "the rest");
    case '|':
        return QStringLiteral("the DOS shell cuts the value there and runs the rest as a command");
    default:
        return QStringLiteral("the DOS shell drops the %, and takes text between two % signs as "
                              "the name of a variable to put in its place");
    }
}

} // namespace

QList<ShellCaution> shellCautions(const QByteArray& file)
{
    QList<ShellCaution> cautions;
    LineReader lines(file);
    for (int line = 1; line < kFirstDataLine && !lines.atEnd(); ++line)
        lines.next();
    for (const SettingRow& format : kSettings) {
        if (lines.atEnd())
            break;
        const QByteArray value = lines.next().mid(format.prefixLength());
        const LineKind kind = kindOf(format);
        if (kind == LineKind::Label)
            continue;
        const char* special = kind == LineKind::Set ? "<>|%" : "<>|";
        for (const char c : value) {
            if (c != '\0' && std::strchr(special, c)) {
                cautions.append({format.field, QChar::fromLatin1(c),
                                 QStringLiteral("%1 holds '%2': when the floppy boots, %3.")
                                     .arg(fieldCaption(format.field), QChar::fromLatin1(c),
                                          effectOf(c, kind))});
                break;
            }
        }
    }
    return cautions;
}

} // namespace useropts
