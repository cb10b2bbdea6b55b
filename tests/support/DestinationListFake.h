#pragma once

#include <optional>
#include <vector>

#include <QObject>

#include "core/DestinationCaller.h"

namespace test
{

// A destination list as small as the exchange allows, holding at most `capacity` rows.
class ListCaller : public QObject, public core::DestinationCaller
{
public:
    QObject* callerObject() override { return this; }
    std::optional<core::ListedDestination> selectedDestination() const override
    {
        if (selected < 0 || selected >= static_cast<int>(rows.size()))
            return std::nullopt;
        return core::ListedDestination {static_cast<quint64>(selected) + 100, rows.at(selected)};
    }
    bool addDestination(const core::DestinationRow& row) override
    {
        if (static_cast<int>(rows.size()) >= capacity)
            return false;
        rows.push_back(row);
        return true;
    }
    bool rewriteDestination(quint64 key, const core::DestinationRow& row) override
    {
        if (key < 100 || key - 100 >= rows.size())
            return false;
        rows[key - 100] = row;
        return true;
    }

    std::vector<core::DestinationRow> rows;
    int selected = -1;
    int capacity = 30;
};

} // namespace test
