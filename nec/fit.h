#pragma once
// The scale that lays one SWR curve on another: the trim's, from what a built antenna measured, and
// the coat's, from the insulated model's curve against the bare design's.
//
// An antenna whose lengths are all L times the design's resonates at the design's frequencies
// divided by L: its SWR curve is the model's with every frequency times 1 / L. So the measured
// frequency over the model's frequency, at matching points of the two curves, is the scale that
// puts the antenna right: new length over old.

#include <optional>
#include <utility>

#include "nec/analysis.h"
#include "nec/coat.h"
#include "nec/engine.h"
#include "nec/feed.h"
#include "nec/setting_words.h"
#include "nec/simulation.h"
#include "nec/touchstone.h"

namespace brimalox::nec {

// The scale that lays a measured curve on the model's. Each throws Refused with the names' words.
// rows: the model's sweep. From a file: the scale that best fits the reflection coefficient over
// the model's 2:1 stretch. With a feed the file was taken at feed->at: the scaled antenna's gap is
// carried through the feed, which no trim scales, at each measured frequency.
double ratioFromFile(const Analysis& model, const MeasuredSwr& measured, const TrimNames& names, double* rms = nullptr,
                     const Feed* feed = nullptr);
// From an SWR meter's readings: with a feed, the scale whose antenna, carried through the feed,
// crosses 2:1 (or dips) where the meter did; each edge's own scale in *lowScale and *highScale.
double ratioFromEdges(const Analysis& model, double lowMhz, double highMhz, const TrimNames& names,
                      const Feed* feed = nullptr, double designMhz = 0, double* lowScale = nullptr,
                      double* highScale = nullptr);
double ratioFromDip(const Analysis& model, double dipMhz, const TrimNames& names, const Feed* feed = nullptr,
                    double designMhz = 0);
// The model's antenna with every length 1 / k times the model's: its gap impedances are the model's
// at frequencies k times theirs; with a feed (which no trim scales) they are carried through it at
// those frequencies and the SWR taken at feed->at.
Analysis scaledAntenna(const Analysis& model, double k, const Feed* feed, double designMhz);
// Where the model's SWR stays within `within` of its lowest, between samples.
std::pair<double, double> flatStretch(const Analysis& model, double within);

// What a coat does to a design: the scale of the height and the side (insulated over bare) that lays
// the insulated antenna's SWR curve where the bare design's lies, found as a trim finds its ratio
// from a file, the insulated model's curve taken for the measurement, and checked by one more run of
// the insulated model at the scaled lengths (the gap and the match stay, as a trim leaves them).
// Both models over the design's default sweep, SWR at gap 1 against z0, with setup's ground.
// Throws NecError as the model does, and Refused when the curves cannot be laid on each other.
Shortening shortening(const SimulationSetup& insulated, double z0, Engine& engine, const SettingNames& names = {});

// One model run of the setup, its SWR at feed's plane when given. Throws NecError when the model
// fails or gives no SWR, and Refused for a setting it cannot take.
Analysis runModel(const SimulationSetup& setup, double z0, const std::optional<Feed>& feed, Engine& engine,
                  const SettingNames& names);
// The model's SWR curve, taken as a measured one.
MeasuredSwr swrOf(const Analysis& model);

}  // namespace brimalox::nec
