// The grid layout as plain list walks, step by step as the layout is described: a slow
// reference for cross-checking the indexed layout, and the baseline of the benchmark.
// Numbering takes every position (no lower or upper bound), as the filters do.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "export/rounding.h"

namespace qrp::exporter::naive {

struct Entry {
    long double X;
    long double Y;
};

struct Grid {
    std::int32_t LinesUsed = 0;
    std::int32_t ColCount = 0;
    std::vector<int> Cells;  // LinesUsed rows of ColCount: the first entry's index, or -1
};

namespace detail {

struct Position {
    long double Value;
    std::int32_t Number = 0;
    bool Numbered = false;
};

inline std::int32_t NumberAxis(std::vector<long double>& axis) {
    std::vector<Position> items;
    for (const long double value : axis) {
        bool listed = false;
        for (const Position& item : items) {
            if (RoundHalfEven(item.Value) == RoundHalfEven(value)) {
                listed = true;
                break;
            }
        }
        if (!listed)
            items.push_back({value});
    }
    std::size_t pick = 0;
    std::int32_t counter = 0;
    for (std::size_t round = 0; round < items.size(); ++round) {
        bool any = false;
        long double minimum = 0;
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (!items[i].Numbered && (!any || items[i].Value < minimum)) {
                minimum = items[i].Value;
                pick = i;
                any = true;
            }
        }
        items[pick].Number = ++counter;
        items[pick].Numbered = true;
    }
    std::int32_t highest = 0;
    for (long double& value : axis) {
        std::int32_t number = 0;
        for (const Position& item : items) {
            if (RoundHalfEven(item.Value) == RoundHalfEven(value)) {
                number = item.Number;
                break;
            }
        }
        value = number;
        highest = std::max(highest, number);
    }
    return highest;
}

}  // namespace detail

inline Grid Layout(const std::vector<Entry>& entries) {
    std::vector<long double> xs, ys;
    for (const Entry& entry : entries) {
        xs.push_back(entry.X);
        ys.push_back(entry.Y);
    }
    Grid grid;
    grid.ColCount = detail::NumberAxis(xs);
    grid.LinesUsed = detail::NumberAxis(ys);
    for (std::int32_t line = 1; line <= grid.LinesUsed; ++line) {
        for (std::int32_t col = 1; col <= grid.ColCount; ++col) {
            int found = -1;
            for (std::size_t i = 0; i < entries.size(); ++i) {
                if (xs[i] == col && ys[i] == line) {
                    found = static_cast<int>(i);
                    break;
                }
            }
            grid.Cells.push_back(found);
        }
    }
    return grid;
}

}  // namespace qrp::exporter::naive
