#pragma once

#include <QString>

namespace test
{

// Whether this process has a file open below `folder` other than `except`: a file on its way to its
// place, by whatever name.
bool writingBelow(const QString& folder, const QString& except = {});

} // namespace test
