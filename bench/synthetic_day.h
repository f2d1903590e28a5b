#ifndef CHECK_RT_SYNTHETIC_DAY_H
#define CHECK_RT_SYNTHETIC_DAY_H

#include <cstdint>
#include <string>

// The date whose records a synthetic day holds; the tool's default target.
inline const std::string synthetic_date = "20181219";

// Writes a day of records into dir (ending in a slash), the same for the same
// seed: resultlist.txt with `records` entries of synthetic_date and some of
// other dates, several to a line, and a record file of about 2 KB for each
// entry of synthetic_date. About 5% of the records have readings outside the
// window 315..340. The readings are written in notations that the tool and a
// formatted input stream both read as the same number; with abutting, some
// follow the one before them without white space (327.5+331.25).
void write_synthetic_day(const std::string& dir, int records, std::uint64_t seed, bool abutting = false);

#endif
