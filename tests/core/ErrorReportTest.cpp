#include "core/ErrorReport.h"

#include <cerrno>
#include <cstring>

#include <QCoreApplication>
#include <QFileInfo>
#include <QObject>
#include <QSysInfo>

#include <gtest/gtest.h>

#include "support/Fakes.h"

using core::Err;
using core::ErrorIn;

namespace
{
class ErrorReportTest : public ::testing::Test
{
protected:
    void SetUp() override { platform::setClock(&clock); }
    void TearDown() override { platform::setClock(nullptr); }

    // The header as the report gives it for the current clock and machine.
    static QString header(const QString& method, const QString& number, const QString& source, const QString& descr)
    {
        const QString app = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
        return descr + " \r\n  Time='12/10/26 08:09:10' App='" + app +
               ":1.0.0' ADO-version='?' Computer='" + QSysInfo::machineHostName() + "' \r\n  Method: " + method +
               " \r\n  Number: " + number + "\r\n  Source: " + source + " \r\n  Description: " + descr + "\r\n\r\n";
    }

    test::FakeClock clock{QDateTime(QDate(2026, 12, 10), QTime(8, 9, 10))};
};

QString dashed(const QString& line)
{
    return line.leftJustified(100, QLatin1Char('-'));
}
} // namespace

TEST_F(ErrorReportTest, RuntimeErrorInAProcedureWithParameters)
{
    Err().Raise(5, "Invalid procedure call or argument", "Quillback");
    const QString report = ErrorIn("modRegistry.RegGetKey(lngRootKey,strRegKeyPath,strRegSubKey)",
                                   {-2147483647, "SOFTWARE\\Quillback", "SMTPPort"});

    const QString expected =
        header("modRegistry.RegGetKey",
               "5 = &H5 = vbObjectError + 2147221509 = ERRMAP_APP_FIRST + 2147216311 ", "Quillback",
               "Invalid procedure call or argument") +
        dashed("  Call Stack: modRegistry.RegGetKey(lngRootKey=-2147483647, strRegKeyPath='SOFTWARE\\Quillback', "
               "strRegSubKey='SMTPPort') ") +
        "\r\n";
    EXPECT_EQ(report, expected);
    // The report stays in the error object.
    EXPECT_EQ(Err().Number, 5);
    EXPECT_EQ(Err().Source, "HuntERR.ErrorIn");
    EXPECT_EQ(Err().Description, report);
}

TEST_F(ErrorReportTest, LostErrorWithoutParameters)
{
    const QString report = ErrorIn("frmMain.Form_Load");
    const QString lost = "ErrorIn: Error information was lost. To fix: call ErrPreserve before doing anything in "
                         "error handler.";
    const QString expected = header("frmMain.Form_Load",
                                    "-2147216306 = &H8004144E = vbObjectError + 5198 = ERRMAP_APP_FIRST + 0 = "
                                    "ERR_GENERAL",
                                    "", lost) +
                             dashed("  Call Stack: frmMain.Form_Load() ") + "\r\n";
    EXPECT_EQ(report, expected);
}

TEST_F(ErrorReportTest, LongTextArgumentsMoveToTheValueBlock)
{
    const QString forty = "'" + QString(38, 'x') + "'";
    const QString fortyOne = QString(39, 'y');
    Err().Raise(53, "File not found");
    const QString report = ErrorIn("modGeneral.SaveProject(ProjectName,strData)", {QString(38, 'x'), fortyOne});

    const QString stack = "  Call Stack: modGeneral.SaveProject(ProjectName=" + forty + ", strData={Text}) ";
    EXPECT_TRUE(report.contains("\r\n" + dashed(stack) + "\r\n    Value Of strData:\r\n      '" + fortyOne + "'\r\n"))
        << report.toStdString();
    EXPECT_TRUE(report.endsWith("'" + fortyOne + "'\r\n"));
}

TEST_F(ErrorReportTest, MultiLineValuesAreIndentedInTheValueBlock)
{
    Err().Raise(5, "bad");
    const QString report = ErrorIn("modGeneral.ExtractItem(strData,strKey)", {"a\r\nb", "Key"});
    EXPECT_TRUE(report.contains("(strData={Text}, strKey='Key') "));
    EXPECT_TRUE(report.endsWith("    Value Of strData:\r\n      'a\r\n      b'\r\n")) << report.toStdString();
}

TEST_F(ErrorReportTest, PercentInTheDescriptionStaysUnchanged)
{
    Err().Raise(75, "Disk 100% full %nl% %Time%");
    const QString report = ErrorIn("modGeneral.SaveProject(ProjectName,strData)", {"a", "b"});
    EXPECT_TRUE(report.startsWith("Disk 100% full %nl% %Time% \r\n")) << report.toStdString();
    EXPECT_TRUE(report.contains("  Description: Disk 100% full %nl% %Time%\r\n"));
}

TEST_F(ErrorReportTest, NegativeNumbersShowTheirTwosComplementHex)
{
    Err().Raise(core::err::ObjectErrorBase + 1, "own error");
    const QString report = ErrorIn("x.y");
    EXPECT_TRUE(report.contains("  Number: -2147221503 = &H80040001 = vbObjectError + 1 = ERRMAP_APP_FIRST - 5197 \r\n"))
        << report.toStdString();
}

TEST_F(ErrorReportTest, SilentRangeGivesNoReportAndKeepsTheError)
{
    Err().Raise(-2147216500, "quiet");
    EXPECT_EQ(ErrorIn("x.y(a)", {1}), QString());
    EXPECT_EQ(Err().Number, -2147216500);
    EXPECT_EQ(Err().Description, "quiet");
    EXPECT_NE(Err().Source, "HuntERR.ErrorIn");
}

TEST_F(ErrorReportTest, SystemErrorLine)
{
    Err().Raise(70, "Permission denied");
    Err().LastDllError = EACCES;
    const QString report = ErrorIn("x.y");
    EXPECT_TRUE(report.contains(QString("\r\n\r\n  API Error: (%1) %2\r\n  Call Stack: x.y() ")
                                    .arg(EACCES)
                                    .arg(QString::fromLocal8Bit(std::strerror(EACCES)))))
        << report.toStdString();

    Err().Raise(70, "Permission denied");
    Err().LastDllError = 203;
    EXPECT_FALSE(ErrorIn("x.y").contains("API Error"));
}

TEST_F(ErrorReportTest, AReportFromFurtherDownGrowsByOneCallStackLine)
{
    Err().Raise(5, "inner");
    const QString inner = ErrorIn("a.Inner(p)", {1});
    const QString outer = ErrorIn("b.Outer");
    EXPECT_EQ(outer, inner + dashed("  Call Stack: b.Outer() ") + "\r\n");
}

TEST_F(ErrorReportTest, ValueTexts)
{
    QObject object;
    Err().Raise(5, "x");
    const QString report =
        ErrorIn("m.p(a,b,c,d,e,f,g,h,i)", {QVariant(), QVariant::fromValue(nullptr), QVariantList{1, 2}, true, 2.5,
                                            QDateTime(QDate(2026, 12, 10), QTime(8, 0)),
                                            QVariant::fromValue(static_cast<QObject*>(&object)),
                                            QVariant::fromValue(static_cast<QObject*>(nullptr)),
                                            QVariant::fromValue(core::OmittedArgument{})});
    EXPECT_TRUE(report.contains("m.p(a={Empty}, b={Null}, c={Array}, d=True, e=2.5, f='10/12/2026 08:00:00', "
                                "g={QObject}, h={Nothing}, i=) "))
        << report.toStdString();
}

TEST_F(ErrorReportTest, ReportFailureRaisesAndReports)
{
    const QString report = core::reportFailure("modGeneral.FolderSize(strFolder)", {"/nope"}, core::err::PathNotFound,
                                               "Path not found");
    EXPECT_TRUE(report.startsWith("Path not found \r\n"));
    EXPECT_TRUE(report.contains("modGeneral.FolderSize(strFolder='/nope') "));
    EXPECT_EQ(Err().Number, core::err::PathNotFound);
}
