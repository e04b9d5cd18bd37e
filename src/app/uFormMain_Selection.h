#pragma once
// Tags of the commodity trees' nodes and the texts the selection pages put in front of a place.

#include <QString>
#include <QTreeWidgetItem>
#include <array>
#include <cstdint>
#include <optional>

#include "app/ModelAdapter.h"

namespace qmz {

// The text in front of a place entering a chosen list, by list mode (base, system, region, anywhere).
inline const std::array<QString, 4> PlaceListPrefixes = {QString(), QStringLiteral("[System] "),
                                                         QStringLiteral("[Region] "), QString()};

// The equipment type of a category node; none for other nodes.
std::optional<std::uint8_t> ETypeOfNode(const QTreeWidgetItem* node);

}  // namespace qmz
