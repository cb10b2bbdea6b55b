#include "controls/Xp_ProgressBar.h"

#include <vector>

#include <gtest/gtest.h>

#include "controls/ProgressPieces.h"
#include "localisation/Languages.h"
#include "support/Fakes.h"

namespace
{
const QRgb White = qRgb(255, 255, 255);

// A bar whose trough is as high as a piece, so blocks show their pictures unscaled.
class ProgressBarTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        localisation::resetLanguages();
        platform::setPrompt(&prompt);
        bar.resize(200, 16);
        bar.setProgressLook(0);
        bar.show();
    }

    // The colour at the middle of the trough's height.
    QRgb at(int x) const { return bar.surface().pixel(x, 8); }
    bool drawnAt(int x) const { return at(x) != White; }

    std::vector<int> blockStarts() const
    {
        std::vector<int> starts;
        for (int x = 3; x < 197; ++x)
            if (drawnAt(x) && !drawnAt(x - 1))
                starts.push_back(x);
        return starts;
    }

    test::ScriptedPrompt prompt;
    Xp_ProgressBar bar;
};

// Whether `colour` is one of the piece's colours at the probed row.
bool fromPiece(QRgb colour, const QImage& piece)
{
    for (int x = 0; x < piece.width(); ++x)
        if (piece.pixel(x, 5) == colour)
            return true;
    return false;
}

std::vector<int> starts(int first, int last)
{
    std::vector<int> result;
    for (int x = first; x <= last; x += 10)
        result.push_back(x);
    return result;
}

TEST_F(ProgressBarTest, FrameIsCutIntoNineRegions)
{
    const QImage& frame = controls::progressFrame();
    const QImage& shown = bar.surface();
    struct Probe
    {
        QPoint shown;
        QPoint frame;
    };
    const Probe probes[] = {
        {{0, 0}, {0, 0}},     {{1, 1}, {1, 1}},   {{199, 0}, {58, 0}}, {{198, 1}, {57, 1}},   {{199, 15}, {58, 12}},
        {{0, 15}, {0, 12}},   {{100, 0}, {8, 0}}, {{100, 2}, {8, 2}},  {{199, 8}, {58, 5}},   {{197, 8}, {56, 5}},
        {{100, 15}, {3, 12}}, {{0, 8}, {0, 5}},   {{3, 3}, {4, 4}},    {{196, 12}, {54, 10}},
    };
    for (const Probe& probe : probes)
        EXPECT_EQ(shown.pixel(probe.shown), frame.pixel(probe.frame)) << probe.shown.x() << "," << probe.shown.y();
    EXPECT_EQ(at(100), White);
}

TEST_F(ProgressBarTest, BlocksFollowTheValueWhateverItsSteps)
{
    struct Case
    {
        const char* name;
        std::vector<qint64> values;
        std::vector<int> expected;
    };
    const std::vector<Case> cases = {
        {"below the first start", {1, 2}, {}},
        {"first block at 3", {1, 2, 3}, {4}},
        {"one unit at a time", {1, 2, 3, 4, 5, 6, 7, 8}, {4, 14}},
        {"a jump draws every block", {10, 50}, starts(4, 94)},
        {"same value twice", {50, 50}, starts(4, 94)},
        {"a fall draws afresh", {50, 20}, starts(4, 34)},
        {"below the highest value drawn", {50, 20, 30}, starts(4, 54)},
        {"back to the minimum", {50, 0}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bar.resize(201, 16);
        bar.resize(200, 16);
        bar.setValue(0);
        for (qint64 value : c.values)
            bar.setValue(value);
        EXPECT_EQ(blockStarts(), c.expected);
    }
}

TEST_F(ProgressBarTest, BlocksHaveThePieceWidthAndTheLastIsSqueezed)
{
    bar.setValue(10);
    bar.setValue(100);
    const QImage& block = controls::progressLookPieces(0)->at(2);
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(at(14 + x), block.pixel(x, 5)) << x;
    EXPECT_EQ(at(22), White);
    // 194 + 10 passes the end: the last block runs from 194 to 3 pixels before the right edge.
    EXPECT_EQ(blockStarts().back(), 194);
    EXPECT_TRUE(fromPiece(at(196), block));
    EXPECT_EQ(at(197), controls::progressFrame().pixel(56, 5));
}

TEST_F(ProgressBarTest, EqualBoundsShowAnEmptyTrough)
{
    bar.setMax(0);
    bar.setValue(0);
    EXPECT_EQ(bar.Value(), 0);
    EXPECT_TRUE(blockStarts().empty());
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(ProgressBarTest, BarsTooSmallForTheFrameStillTakeValues)
{
    for (const QSize size : {QSize(0, 0), QSize(4, 4), QSize(12, 5)}) {
        bar.resize(size);
        bar.setValue(0);
        bar.setValue(100);
        bar.setStyle(1);
        bar.setValue(50);
        bar.setStyle(0);
        EXPECT_EQ(bar.surface().size(), size);
    }
}

TEST_F(ProgressBarTest, NoSixteenBitLimits)
{
    bar.setMax(10'000'000'000);
    bar.setValue(5'000'000'000);
    EXPECT_EQ(blockStarts(), starts(4, 94));
}

TEST_F(ProgressBarTest, ANewBarDrawsNothingUntilALookIsChosen)
{
    Xp_ProgressBar fresh;
    fresh.resize(200, 16);
    fresh.show();
    fresh.setValue(50);
    EXPECT_EQ(fresh.surface().pixel(20, 8), White);
    fresh.setProgressLook(3);
    fresh.setValue(60);
    EXPECT_EQ(fresh.surface().pixel(20, 8), White) << "empty blocks still count as drawn";
    EXPECT_EQ(fresh.surface().pixel(110, 8), controls::progressLookPieces(3)->at(2).pixel(6, 5));
}

TEST_F(ProgressBarTest, TheMovingHeadSweepsFromFourThenFromTwo)
{
    bar.setStyle(1);
    bar.setValue(1);
    const auto& pieces = *controls::progressLookPieces(0);
    // Tail, follower and head, each half a piece wide, 5 pixels apart.
    EXPECT_EQ(at(4), pieces[0].pixel(0, 5));
    EXPECT_EQ(at(9), pieces[1].pixel(0, 5));
    EXPECT_EQ(at(14), pieces[2].pixel(0, 5));
    EXPECT_EQ(at(8), White);
    bar.setValue(2);
    EXPECT_EQ(at(4), White) << "the old tail is erased";
    EXPECT_EQ(at(9), pieces[0].pixel(0, 5));

    // The head reaches the end at the 40th change; the 41st starts the next sweep at 2.
    for (qint64 value = 3; value <= 40; ++value)
        bar.setValue(value);
    EXPECT_EQ(at(8), White);
    bar.setValue(41);
    EXPECT_TRUE(fromPiece(at(2), pieces[0]));
    EXPECT_TRUE(fromPiece(at(7), pieces[1]));
    EXPECT_TRUE(fromPiece(at(12), pieces[2]));
    EXPECT_EQ(at(6), White);

    bar.setValue(100);
    EXPECT_EQ(at(7), White) << "the maximum clears the trough";
    bar.setValue(50);
    EXPECT_EQ(at(4), pieces[0].pixel(0, 5)) << "and the head starts at 4 again";
}

TEST_F(ProgressBarTest, OutOfRangeChangesAreRefusedWithAMessage)
{
    struct Case
    {
        const char* name;
        std::function<void(Xp_ProgressBar&)> change;
        QString text;
    };
    const std::vector<Case> cases = {
        {"value above max", [](Xp_ProgressBar& b) { b.setValue(150); },
         "The value 150 was refused: it is larger than the maximum, 100."},
        {"value below min", [](Xp_ProgressBar& b) { b.setValue(5); },
         "The value 5 was refused: it is smaller than the minimum, 10."},
        {"min above max", [](Xp_ProgressBar& b) { b.setMin(101); },
         "The minimum 101 was refused: it is larger than the maximum, 100."},
        {"negative min", [](Xp_ProgressBar& b) { b.setMin(-1); },
         "The minimum -1 was refused: it must not be negative."},
        {"max below min", [](Xp_ProgressBar& b) { b.setMax(9); },
         "The maximum 9 was refused: it is smaller than the minimum, 10."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Xp_ProgressBar fresh;
        fresh.resize(200, 16);
        fresh.setProgressLook(0);
        fresh.setMin(10);
        fresh.setValue(40);
        const QImage before = fresh.surface();
        prompt.shown.clear();
        c.change(fresh);
        ASSERT_EQ(prompt.shown.size(), 1u);
        EXPECT_EQ(prompt.shown[0].text, c.text);
        EXPECT_EQ(prompt.shown[0].title, "Error");
        EXPECT_EQ(prompt.shown[0].icon, platform::Icon::Critical);
        EXPECT_EQ(fresh.Value(), 40);
        EXPECT_EQ(fresh.Min(), 10);
        EXPECT_EQ(fresh.Max(), 100);
        EXPECT_EQ(fresh.surface(), before);
    }
}

TEST_F(ProgressBarTest, ALanguageFileTextIsFollowedByTheBound)
{
    localisation::Languages().setMessage("MSG_SMALLER", "Höchstens ");
    bar.setValue(101);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "Höchstens 100");
}

TEST_F(ProgressBarTest, StoredPropertiesRoundTripAndDamageTakesDefaults)
{
    bar.setMin(5);
    bar.setMax(500);
    bar.setValue(70);
    bar.setStyle(1);
    bar.setProgressLook(6);
    const controls::PropertyBag stored = bar.WriteProperties();
    EXPECT_EQ(stored.size(), 5);

    Xp_ProgressBar copy;
    copy.ReadProperties(stored);
    EXPECT_EQ(copy.WriteProperties(), stored);

    Xp_ProgressBar damaged;
    damaged.resize(200, 16);
    damaged.ReadProperties({{"Min", "lots"}, {"Max", 40}, {"ProgressLook", 2}, {"Value", QVariant()}});
    EXPECT_EQ(damaged.Min(), 0);
    EXPECT_EQ(damaged.Max(), 40);
    EXPECT_EQ(damaged.Value(), 0);
    EXPECT_EQ(damaged.ProgressLook(), 2) << "the keys after a damaged one are still read";
    damaged.setValue(20);
    EXPECT_EQ(damaged.surface().pixel(20, 8), controls::progressLookPieces(2)->at(2).pixel(6, 5));
}

} // namespace
