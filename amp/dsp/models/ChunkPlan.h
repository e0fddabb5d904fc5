#pragma once

// The chunk runner's schedule of one graph, worked out once per model from the graph's shape
// (PlanGraph, ModelGraph.h) rather than while each chunk runs. A step is one Section, Map, MapN
// or MapOut call of the graph, in the order the graph makes them. The plan says for each step
// whether the queued section network runs first, a section's lane delay, and the pool rows the
// step's outputs go to. A row is handed out again once every reader of its value has run, so a
// graph of thirty steps works in a handful of rows: its buffers stay in the first level of cache
// and the lanes' loads and stores meet few rows 4 KiB apart.
#include <cstdint>

struct ChunkStep {
    bool flushFirst = false; // run the queued lanes before this step
    std::int8_t delay = 0;   // a section: its lane's delay
    std::int8_t row[3] = {}; // the outputs' pool rows (a MapOut writes the graph's output)
};

struct ChunkPlan {
    static constexpr int kMaxSteps = 64;
    static constexpr int kMaxRows = 16;
    int steps = 0;
    int rows = 0; // pool rows in use
    // False when the graph has more steps, inputs or live buffers than the limits: every
    // output then goes to row 0 and the tests of the model fail loudly.
    bool fits = true;
    ChunkStep step[kMaxSteps];
};

// Collects a graph's steps (which values each reads and how many it makes) and works out the
// plan. Value 0 is the graph's input; each step's outputs are the next values in turn.
class ChunkPlanner {
public:
    enum Kind { kSection, kMap, kOut };
    static constexpr int kMaxInputs = 8;

    // Records a step reading values in[0..inCount) with outCount outputs; returns the value
    // number of its first output.
    int Add(Kind kind, const int* in, int inCount, int outCount);
    ChunkPlan Finish() const;

private:
    static constexpr int kMaxValues = 1 + 3 * ChunkPlan::kMaxSteps;
    struct Step {
        Kind kind;
        int in[kMaxInputs];
        int inCount;
        int firstOut;
        int outCount;
    };
    Step steps[ChunkPlan::kMaxSteps];
    int stepCount = 0;
    int valueCount = 1;
    bool fits = true;
};
