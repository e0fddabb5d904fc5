#include "ChunkPlan.h"

#include "AmpSectionChain.h"

int ChunkPlanner::Add(Kind kind, const int* in, int inCount, int outCount) {
    const int first = valueCount;
    if (stepCount == ChunkPlan::kMaxSteps || inCount > kMaxInputs || valueCount + outCount > kMaxValues) {
        fits = false;
        return 0;
    }
    Step& s = steps[stepCount++];
    s.kind = kind;
    s.inCount = inCount;
    for (int j = 0; j < inCount; ++j)
        s.in[j] = in[j];
    s.firstOut = first;
    s.outCount = outCount;
    valueCount += outCount;
    return first;
}

ChunkPlan ChunkPlanner::Finish() const {
    ChunkPlan plan;
    plan.steps = stepCount;
    plan.fits = fits;
    if (!fits) return plan;

    // The runs, as the runner queues them: a section joins the open network two steps behind
    // the lane feeding it; the network runs before a Map that reads one of its outputs, before
    // the last step, and when it is full or a delay would pass kMaxDelay.
    int producer[kMaxValues];
    int laneDelay[kMaxValues]; // a value written by a lane of the open network: its delay; else -1
    for (int v = 0; v < valueCount; ++v)
        producer[v] = -1, laneDelay[v] = -1;
    int runOf[ChunkPlan::kMaxSteps]; // when the step runs: a Map alone, a section with its network
    int open[kMaxLanes];
    int openCount = 0;
    int run = 0;
    auto flush = [&](int k) {
        if (openCount == 0) return;
        for (int j = 0; j < openCount; ++j) {
            runOf[open[j]] = run;
            laneDelay[steps[open[j]].firstOut] = -1;
        }
        ++run;
        openCount = 0;
        if (k < stepCount) plan.step[k].flushFirst = true;
    };
    for (int k = 0; k < stepCount; ++k) {
        const Step& s = steps[k];
        for (int j = 0; j < s.outCount; ++j)
            producer[s.firstOut + j] = k;
        if (s.kind == kSection) {
            const int fed = laneDelay[s.in[0]];
            int delay = fed >= 0 ? fed + 2 : 0;
            if (openCount == kMaxLanes || delay > kMaxDelay) {
                flush(k);
                delay = 0;
            }
            plan.step[k].delay = static_cast<std::int8_t>(delay);
            laneDelay[s.firstOut] = delay;
            open[openCount++] = k;
            continue;
        }
        bool readsQueued = s.kind == kOut;
        for (int j = 0; j < s.inCount; ++j)
            readsQueued = readsQueued || laneDelay[s.in[j]] >= 0;
        if (readsQueued) flush(k);
        runOf[k] = run++;
    }
    flush(stepCount);

    // Whether step w may write the row holding value v: every reader of v has run before w
    // runs. A step may also write a row it reads itself (a lane in place, a Map after its loop),
    // but never one that another lane of its network still reads. A value nobody reads holds its
    // row until its own step has run.
    auto mayOverwrite = [&](int v, int w) {
        bool read = false;
        for (int r = 0; r < stepCount; ++r) {
            for (int j = 0; j < steps[r].inCount; ++j) {
                if (steps[r].in[j] != v) continue;
                read = true;
                if (r != w && runOf[r] >= runOf[w]) return false;
            }
        }
        return read || runOf[producer[v]] < runOf[w];
    };

    // The rows, taken in step order: the lowest one whose value is done with, else a new one.
    int occupant[ChunkPlan::kMaxRows];
    for (int k = 0; k < stepCount; ++k) {
        const Step& s = steps[k];
        if (s.kind == kOut) continue;
        for (int j = 0; j < s.outCount; ++j) {
            int row = 0;
            while (row < plan.rows) {
                bool mine = false; // already one of this step's outputs
                for (int i = 0; i < j; ++i)
                    mine = mine || plan.step[k].row[i] == row;
                if (!mine && mayOverwrite(occupant[row], k)) break;
                ++row;
            }
            if (row == plan.rows) {
                if (plan.rows == ChunkPlan::kMaxRows) {
                    plan.fits = false;
                    row = 0;
                } else {
                    ++plan.rows;
                }
            }
            occupant[row] = s.firstOut + j;
            plan.step[k].row[j] = static_cast<std::int8_t>(row);
        }
    }
    if (!plan.fits)
        for (int k = 0; k < stepCount; ++k)
            plan.step[k].row[0] = plan.step[k].row[1] = plan.step[k].row[2] = 0;
    return plan;
}
