#include <QDir>

#include <gtest/gtest.h>

#include "editors/NewItemName.h"
#include "support/ProgramFolderTest.h"

namespace
{
struct ProposalCase
{
    QStringList documents;
    QString proposal;
};

class NewItemNameTest : public test::ProgramFolderTest
{ };
} // namespace

TEST(NewItemName, ProposesOneMoreThanTheHighestNumberedName)
{
    const ProposalCase cases[] = {
        {{}, "New Item"},
        {{"New Item.sbd"}, "New Item 2"},
        {{"New Item 7.sbd", "New Item.sbd"}, "New Item 8"},
        {{"New Item.sbd", "New Item 3.sbd"}, "New Item 4"},
        {{"New Item 3.sbd", "New Item.sbd"}, "New Item 4"},
        // Another letter case, a suffix that is no number, and numbers that are not positive.
        {{"new item.sbd", "New Itemx.sbd", "New Item -4.sbd", "New Item 0.sbd", "Other.sbd"}, "New Item"},
        {{"New Item 40000.sbd"}, "New Item 40001"},
    };
    for (const ProposalCase& c : cases)
        EXPECT_EQ(editors::proposeNewItemName(c.documents), c.proposal) << c.documents.join(", ").toStdString();
}

TEST_F(NewItemNameTest, ReadsTheSetDocumentsOfTheDataFolder)
{
    EXPECT_EQ(editors::proposeNewItemName(), "New Item");
    for (const char* name : {"New Item.sbd", "New Item 5.sbd.bak", "new item 9.sbd", "New Item 2.sbd"})
        ASSERT_TRUE(test::writeFile(programFile(QStringLiteral("data/") + name), "x"));
    EXPECT_EQ(editors::proposeNewItemName(), "New Item 3");
}

TEST(NewItemName, OffersTheSetNameAsArchiveName)
{
    EXPECT_EQ(editors::defaultArchiveName("New Item 2"), "New_Item_2.zip");
    EXPECT_EQ(editors::defaultArchiveName("Docs"), "Docs.zip");
}
