#pragma once

namespace vk
{

/** The band-edge tables of the frequency graph, rows 0 to 8.

    Rows 0 to 4 hold no edges (they go with a geometric band ratio; row 4 also means note-name labels).
    Row 5 holds the 25 critical-band edges, rows 6 to 8 perceptual bands of 77, 32 and 95 edges spaced
    evenly on the ERB-rate scale between their end values. Every row with edges ends with endMark.

    [any thread] Built once at first use; read-only after.
*/
struct FreqBandTables
{
    static constexpr int numRows = 9;
    static constexpr int rowCapacity = 100;
    static constexpr float endMark = 1000000.0f;

    /** The edges of a row, end mark included; count is 0 for rows without edges or outside 0..8. */
    static const float* getRow(int row, int& count) noexcept;
    /** The reference frequency a geometric band grid is aligned to: 440 Hz for rows 1 to 4, else 1000 Hz. */
    static float getReferenceFrequency(int row) noexcept;
};

} // namespace vk
