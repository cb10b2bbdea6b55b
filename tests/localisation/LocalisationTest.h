#pragma once

#include <QByteArray>
#include <QString>

#include "localisation/Languages.h"
#include "support/ProgramFolderTest.h"

namespace test
{

// A program folder of its own and an empty message table for every test.
class LocalisationTest : public ProgramFolderTest
{
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        localisation::resetLanguages();
    }
    void TearDown() override
    {
        localisation::resetLanguages();
        ProgramFolderTest::TearDown();
    }

    bool writeLanguageFile(const QByteArray& bytes) { return writeFile(programFile("Localization.xml"), bytes); }
};

// Written with "\n" for readability; language files end their lines with CR LF.
inline QByteArray crlf(const char* text)
{
    return QByteArray(text).replace("\n", "\r\n");
}

// Two languages: English knows a few keys, Deutsch knows one of every control kind.
inline QByteArray twoLanguageFile()
{
    return crlf(R"(<?xml version="1.0" encoding="UTF-8"?>
<XML_DIZ_INFO>
	<LOCALIZATION_FILE_INFO>
		<LOCALIZATION_FILE_VERSION>1.0</LOCALIZATION_FILE_VERSION>
	</LOCALIZATION_FILE_INFO>
<LANGUAGE_GROUP xml:lang="en">
	<LANGUAGE_NAME>English</LANGUAGE_NAME>
	<DESCRIPTION>Texts as shipped.</DESCRIPTION>
	<TRANSLATION_ITEMS>
		<FRMTEST_CMDOK>&OK</FRMTEST_CMDOK>
		<FRMTEST_LBLTITLE>Welcome to [ProgramName]</FRMTEST_LBLTITLE>
		<MSG_CANCEL>Cancel</MSG_CANCEL>
	</TRANSLATION_ITEMS>
</LANGUAGE_GROUP>
<LANGUAGE_GROUP xml:lang="de">
	<LANGUAGE_NAME>Deutsch</LANGUAGE_NAME>
	<TRANSLATION_ITEMS>
		<FRMTEST_LBLTITLE>Willkommen bei [programname] von [COMPANYNAME]</FRMTEST_LBLTITLE>
		<FRMTEST_LABEL1>Feld</FRMTEST_LABEL1>
		<FRMTEST_CMDOK>&Jawohl</FRMTEST_CMDOK>
		<FRMTEST_CHKLOG>Protokoll</FRMTEST_CHKLOG>
		<FRMTEST_FRAOPTIONS>Optionen</FRMTEST_FRAOPTIONS>
		<FRMTEST_LBLINSIDE>Innen</FRMTEST_LBLINSIDE>
		<FRMTEST_TSMENU_TABS1>Allgemein</FRMTEST_TSMENU_TABS1>
		<FRMTEST_TSMENU_TABS3>Zeitplan</FRMTEST_TSMENU_TABS3>
		<FRMTEST_LSTSETS_COL1>Sicherung</FRMTEST_LSTSETS_COL1>
		<FRMTEST_LSTSETS_COL3>Nächster Lauf</FRMTEST_LSTSETS_COL3>
		<FRMTEST_GRDFILES_COL2>Größe</FRMTEST_GRDFILES_COL2>
		<FRMTEST_OPTTYPE0>Keine</FRMTEST_OPTTYPE0>
		<FRMTEST_OPTTYPE2>Ein Archiv</FRMTEST_OPTTYPE2>
		<FRMTEST_OPTLOOSE>Lose</FRMTEST_OPTLOOSE>
		<FRMTEST_OPTLOOSE0>Lose</FRMTEST_OPTLOOSE0>
		<FRMTEST_MNUFILE0>&Datei</FRMTEST_MNUFILE0>
		<FRMTEST_MNUFILEEXIT0>&Beenden</FRMTEST_MNUFILEEXIT0>
		<FRMTEST_MNUTOOLSITEM1>Entschlüsseln</FRMTEST_MNUTOOLSITEM1>
		<FRMTEST_TXTNAME>Textfeld</FRMTEST_TXTNAME>
		<FRMTEST_TBEXIT>Werkzeug</FRMTEST_TBEXIT>
		<FRMTEST_LBLCHILD>Dialog</FRMTEST_LBLCHILD>
		<FRMTEST_LBLNOTE><b>fett</b></FRMTEST_LBLNOTE>
		<MSG_CANCEL>abbrechen</MSG_CANCEL>
		<MSG_SURE1>Wirklich alle sichern?</MSG_SURE1>
		<MSG_ABOUT>Über [Website]</MSG_ABOUT>
	</TRANSLATION_ITEMS>
</LANGUAGE_GROUP>
</XML_DIZ_INFO>
)");
}

} // namespace test
