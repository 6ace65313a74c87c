#pragma once
// A design kept in a file of its own: what a user types and clicks for it (the frequency, the
// conductor typed before its CHANGE, the form), as a small JSON file, so that opening it does the
// clicks again and every figure comes from the handlers. And the name a saved file starts with.

#include <QByteArray>
#include <QString>
#include <optional>

#include "app/road.h"

namespace brimalox {

// The start of a saved file's name for the design: "146MHz-3sided".
QString designFileStem(const DesignTexts& design);

// The typing that gives what the window shows: the frequency, the recommended conductor or one of
// the three conductor fields, the form. None when no such typing gives every value field as shown.
std::optional<DesignRequest> typedRequest(const DesignTexts& shown);

QByteArray designJson(const DesignRequest& design);
// Throws std::runtime_error saying what is wrong with the file's text.
DesignRequest designFromJson(const QByteArray& json);

}  // namespace brimalox
