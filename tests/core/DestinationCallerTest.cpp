#include "core/DestinationCaller.h"

#include <memory>

#include <QObject>

#include <gtest/gtest.h>

namespace
{
class ListCaller : public QObject, public core::DestinationCaller
{
public:
    QObject* callerObject() override { return this; }
    std::optional<core::ListedDestination> selectedDestination() const override { return std::nullopt; }
    bool addDestination(const core::DestinationRow&) override { return true; }
    bool rewriteDestination(quint64, const core::DestinationRow&) override { return false; }
};
} // namespace

TEST(DestinationCaller, RememberedCallerTurnsNullWhenItGoesAway)
{
    core::DestinationCallerRef ref;
    EXPECT_EQ(ref.get(), nullptr);
    auto first = std::make_unique<ListCaller>();
    ListCaller second;
    ref.set(first.get());
    EXPECT_EQ(ref.get(), first.get());
    first.reset();
    EXPECT_EQ(ref.get(), nullptr);
    ref.set(&second);
    EXPECT_EQ(ref.get(), &second);
    ref.set(nullptr);
    EXPECT_EQ(ref.get(), nullptr);
}

TEST(DestinationCaller, DialogsAreRegisteredByKindAndCanBeRemoved)
{
    EXPECT_FALSE(core::destinationDialog(2));
    int opened = 0;
    core::setDestinationDialog(2, [&opened](core::DestinationCaller&, bool) { ++opened; });
    ListCaller caller;
    ASSERT_TRUE(core::destinationDialog(2));
    core::destinationDialog(2)(caller, false);
    EXPECT_EQ(opened, 1);
    EXPECT_FALSE(core::destinationDialog(3));
    core::setDestinationDialog(2, {});
    EXPECT_FALSE(core::destinationDialog(2));
}
