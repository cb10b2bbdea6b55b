#include "engine/PathParts.h"

#include "engine/clsFileInfo.h"

namespace engine
{
namespace
{
bool isSeparator(QChar c)
{
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
}

qsizetype lastSeparator(const QString& S)
{
    return qMax(S.lastIndexOf(QLatin1Char('/')), S.lastIndexOf(QLatin1Char('\\')));
}
} // namespace

QString fileDir(const QString& S)
{
    return S.left(lastSeparator(S) + 1);
}

QString FileName(const QString& S)
{
    return S.mid(lastSeparator(S) + 1);
}

QString fileExt(const QString& S)
{
    for (qsizetype i = S.size() - 1; i >= 1; --i) {
        if (isSeparator(S.at(i)))
            return QString();
        // A dot that starts the name (".bashrc") begins no extension.
        if (S.at(i) == QLatin1Char('.'))
            return isSeparator(S.at(i - 1)) ? QString() : S.mid(i + 1).toLower();
    }
    return QString();
}

QString addSlash(const QString& S, const QString& sl)
{
    return S.endsWith(sl) ? S : S + sl;
}

int setTransferType(const QString& FName, const clsFileInfo* asciiExtensions, const clsFileInfo* exceptions)
{
    qsizetype n = 0;
    int type = TransferImage;
    if (asciiExtensions && asciiExtensions->Exists(fileExt(FName), n))
        type = TransferAscii;
    if (exceptions && exceptions->Exists(FName, n))
        type = type == TransferAscii ? TransferImage : TransferAscii;
    return type;
}

} // namespace engine
