// The registry of velmora_core._native (see binding/function_registry_py.hpp): one row per
// function, X(name, "params", "doc"), each implemented in its subsystem's *_py.cpp.
#pragma once

#include <Python.h>

#include "binding/function_registry_py.hpp"

#define VELMORA_NATIVE_FUNCTIONS(X)                                                                   \
    X(feature_table, "",                                                                               \
      "Every feature of the record, in record order, as (name, type, value without data, unit, "      \
      "meaning, origin, exact) tuples; exact is False for values that pass through the C library's "  \
      "sin, cos or log2.")                                                                            \
    X(state_text_argument, "name, value",                                                              \
      "value's UTF-8 bytes, refused as the state functions refuse their str argument `name`.")         \
    X(state_u64_argument, "name, value",                                                               \
      "value as an int in [0, 2**64 - 1], refused as the state functions refuse argument `name`.")     \
    X(state_bans_argument, "bans",                                                                     \
      "Every (address, expiry) pair as (UTF-8 bytes, int), refused as hydrate_bans_rs refuses it.")   \
    X(behaviour_features, "telemetry", "The behaviour features of a telemetry dict, by name.")         \
    X(behaviour_feature_values, "telemetry",                                                           \
      "The behaviour feature values, in the order of behaviour_feature_names().")                      \
    X(behaviour_feature_names, "", "The behaviour feature names, in their fixed order.")               \
    X(forest_build, "baseline, feature_count, feature, left, right, missing_left, threshold, value, roots", \
      "A checked tree ensemble (a capsule) from its node columns; ValueError when malformed.")         \
    X(forest_score, "forest, row", "The logistic of the ensemble's raw score on row, in [0, 1].")      \
    X(forest_explain, "forest, row", "(bias, per-feature contributions) to the raw score on row.")     \
    X(features_json, "data",                                                                           \
      "The feature dict of one JSON telemetry document, or None when only json.loads can decide its "  \
      "content.")                                                                                      \
    X(session_json, "data, member, keep",                                                              \
      "(kind of the document, kind of the telemetry (the document or its member), the telemetry's "    \
      "feature dict if it is an object or None, the kept top-level values), or None when only "        \
      "json.loads can decide the document's content.")                                                 \
    X(behaviour_values_json, "data, member",                                                           \
      "The behaviour feature values of one JSON telemetry document (or of its member), in the order "  \
      "of behaviour_feature_names(), or None when only json.loads can decide its content.")            \
    X(session_parts_json, "data, member, keep",                                                        \
      "session_json with the telemetry's behaviour feature values too, read from the same parse: "     \
      "(kind of the document, kind of the telemetry, its feature dict or None, its behaviour feature " \
      "values or None, the kept top-level values), or None when only json.loads can decide the "      \
      "document's content.")                                                                          \
    X(session_row, "telemetry",                                                                        \
      "Every feature of a telemetry dict read once, as a tuple of floats: the feature dict's values "  \
      "in order (flags as 0.0 and 1.0; screen_valid 0.0 without a browser dict, whose default "       \
      "screen nobody reported), then the behaviour feature values.")                                   \
    X(session_row_prints, "telemetry",                                                                 \
      "(session_row(telemetry), stroke_prints(telemetry)) from one reading of the dict.")              \
    X(session_score, "forest, telemetry", "forest_score of session_row(telemetry), in one call.")       \
    X(session_row_json, "data, member",                                                                \
      "session_row of the JSON telemetry object in data (or its member), parsed once, or None when "   \
      "the telemetry is not an object or only json.loads can decide the document's content.")          \
    X(session_score_json, "forest, data, member",                                                      \
      "forest_score of session_row_json(data, member), in one call, or None as session_row_json.")     \
    X(stroke_prints, "telemetry",                                                                      \
      "(strokes of 10 or more samples, the prints of the distinctive ones as bytes) of a telemetry "   \
      "dict, read leniently.")                                                                         \
    X(stroke_prints_json, "data, member",                                                              \
      "stroke_prints of the JSON telemetry object in data (or its member), or None when only "         \
      "json.loads can decide the document's content.")                                                 \
    X(stroke_memory, "capacity", "An in-process stroke memory (a capsule) keeping up to capacity strokes.") \
    X(stroke_memory_observe, "memory, prints",                                                         \
      "How many of the prints match a remembered stroke; then remembers them all.")                    \
    X(stroke_memory_recalls, "memory, prints",                                                        \
      "For each print, whether it matches a remembered stroke; nothing is remembered.")                 \
    X(stroke_memory_stats, "memory", "(strokes held, capacity, bytes allocated) of a stroke memory.")  \
    X(stroke_bucket_bits, "capacity", "Index buckets per band of a stroke memory of this capacity, as bits.") \
    X(set_table_budget, "budget", "Bytes this module's spectrum tables may take (the cache starts afresh).") \
    X(table_stats, "", "Budget and use of this module's spectrum tables.")

namespace velmora::py {
VELMORA_NATIVE_FUNCTIONS(VELMORA_DECLARE_FUNCTION)
}  // namespace velmora::py
