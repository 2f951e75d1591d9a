// A soak run: the real program on the headless host under a long, seeded, random mix of input.
//
// Every step is one thing a user or the timer can do: a tick, a button, a menu command (all but
// Exit, which ends the run), a resize, minimising and restoring, the version message opened and
// dismissed. Before each step the view settings are checked against the ranges the commands keep
// them in; the heap in use is read after a warm-up and at the end, so growth shows.
#pragma once

#include <cstddef>
#include <string>

struct SoakResult {
    long ticks = 0;                   // WM_TIMER ticks driven
    long steps = 0;                   // steps of every kind, ticks included
    long messageBoxes = 0;            // times the version message was seen open anew
    long minimizations = 0;           // times the window was minimised
    long violations = 0;              // checks that found a view setting out of its range
    std::string firstViolation;       // what the first failed check saw
    std::size_t heapAfterWarmUp = 0;  // bytes in use by malloc; 0 where the allocator hides it
    std::size_t heapAtEnd = 0;
    int exitCode = -1;  // of the program's WinMain
    bool scriptRanOut = false;
};

// Runs the program for `ticks` timer ticks with input drawn from `seed`, then chooses Exit.
SoakResult RunSoak(long ticks, unsigned seed);

// What a soak run may add to the heap after its warm-up without counting as growth.
constexpr std::size_t SOAK_HEAP_TOLERANCE_BYTES = 256 * 1024;
