#include <gtest/gtest.h>

#include "editors/WizardSummary.h"
#include "support/QtPrinters.h"

TEST(WizardSummary, ListsTheSetWithDestinationsUnderOneAnother)
{
    core::BackupSetInfo set;
    set.ItemName = "New Item 2";
    set.DestCount = 2;
    set.Dest[1].Type = core::DestinationType::Folder;
    set.Dest[1].LocalFolder = "/mnt/backup";
    set.Dest[2].Type = core::DestinationType::Ftp;
    set.Dest[2].FTPHost = "server1";
    set.Compression = core::fromStoredCode<core::CompressionMode>(1);
    EXPECT_EQ(editors::wizardSummary(set),
              "Properties of the new item:\r\n"
              "  Item Name:   New Item 2\r\n"
              "  Item Type:   Backup\r\n"
              "  Location:    Local/LAN (/mnt/backup)\r\n"
              "               FTP (server1)\r\n"
              "  Backup Type: Full backup\r\n"
              "  Compression: Single ZIP Archive\r\n");
}

TEST(WizardSummary, NamesProtectionIncrementalAndEveryKind)
{
    core::BackupSetInfo set;
    set.ItemName = "Mail";
    set.DestCount = 3;
    set.Dest[1].Type = core::DestinationType::Email;
    set.Dest[1].EmailID = "anna@example.org";
    // A slot of no known kind adds nothing.
    set.Dest[2].Type = core::fromStoredCode<core::DestinationType>(9);
    set.Dest[3].Type = core::DestinationType::Folder;
    set.Dest[3].LocalFolder = "/b";
    set.BackupType = 1;
    set.Compression = core::fromStoredCode<core::CompressionMode>(2);
    set.ProtectData = core::fromStoredCode<core::ProtectionMode>(1);
    EXPECT_EQ(editors::wizardSummary(set),
              "Properties of the new item:\r\n"
              "  Item Name:   Mail\r\n"
              "  Item Type:   Backup\r\n"
              "  Location:    Email (anna@example.org)\r\n"
              "               Local/LAN (/b)\r\n"
              "  Backup Type: Incremental backup\r\n"
              "  Compression: Many ZIP Archives\r\n"
              "  Encryption:  Blowfish\r\n");
    set.Compression = core::fromStoredCode<core::CompressionMode>(0);
    set.ProtectData = core::fromStoredCode<core::ProtectionMode>(0);
    EXPECT_TRUE(editors::wizardSummary(set).endsWith("  Compression: None\r\n"));
}
