#pragma once

// Lets GoogleTest print Qt values readably in failure messages. Included into every test file.

#include <optional>
#include <ostream>

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTime>

inline void PrintTo(const QString& value, std::ostream* os)
{
    *os << '"' << value.toStdString() << '"';
}

inline void PrintTo(const QByteArray& value, std::ostream* os)
{
    *os << "QByteArray(" << value.size() << ") \"" << value.left(200).toStdString() << (value.size() > 200 ? "..." : "")
        << '"';
}

inline void PrintTo(const QStringList& value, std::ostream* os)
{
    *os << '[';
    for (qsizetype i = 0; i < value.size(); ++i)
        *os << (i ? ", " : "") << '"' << value.at(i).toStdString() << '"';
    *os << ']';
}

inline void PrintTo(const QDate& value, std::ostream* os)
{
    *os << value.toString(Qt::ISODate).toStdString();
}

inline void PrintTo(const QTime& value, std::ostream* os)
{
    *os << value.toString(Qt::ISODateWithMs).toStdString();
}

inline void PrintTo(const QDateTime& value, std::ostream* os)
{
    *os << value.toString(Qt::ISODateWithMs).toStdString();
}
