// Composition of one frame: the estimated date, the texts and the projected planets.
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "ephemeris/ephemeris.h"
#include "scene/fixed_format.h"
#include "scene/scene.h"
#include "scene/texts.h"

namespace {

constexpr std::size_t STATUS_TEXT_CAPACITY = 100;  // bytes, the terminating zero included
constexpr std::size_t NAMES_LABEL_CAPACITY = 100;  // bytes, the terminating zero included

// The date estimate has its own day counts, apart from the clock's 36524.219 days per century.
constexpr double DATE_DAYS_PER_CENTURY = 36524.29;
constexpr double DATE_DAYS_PER_YEAR = 365.24;
constexpr double DATE_DAYS_PER_MONTH = 30.4366;
constexpr int START_YEAR = 1950;      // T = 0 is the start of this year
constexpr int INTERVAL_DECIMALS = 2;  // the interval shows as e.g. 0.13 or 128.00

// The status text of the latest composition; written only by ComposeScene.
char statusText[STATUS_TEXT_CAPACITY];
// The legend's names; written only by ComposeScene.
char namesLabel[NAMES_LABEL_CAPACITY];
// The arrow toward the vernal equinox; written only by ComposeScene.
char equinoxLabel[sizeof EQUINOX_LABEL_TEXT];
// The mark of ecliptic longitude 90 degrees; written only by ComposeScene.
char longitudeLabel[sizeof LONGITUDE_LABEL_TEXT];

struct EstimatedDate {
    int year;   // e.g. 1950
    int month;  // 1 to 12 for every T from 0 upward
    int day;    // 1 to 31 for every T from 0 upward
};

// Truncates toward zero to 32 bits. A plain conversion of NaN or of a value
// beyond the 32-bit range is undefined, so NaN gives 0 and such values
// saturate at the nearest 32-bit limit; the clock's range never reaches them.
int TruncateToInt32(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= 2147483648.0) {
        return INT_MAX;
    }
    if (value <= -2147483649.0) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

// Adds without the undefined overflow, saturating at the 32-bit limits.
int AddSaturating(int value, int addend) {
    const long long sum = static_cast<long long>(value) + addend;
    if (sum > INT_MAX) {
        return INT_MAX;
    }
    if (sum < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(sum);
}

// A rough calendar date for T: years of 365.24 days and months of 30.4366.
EstimatedDate EstimateDate(double T) {
    const double days = T * DATE_DAYS_PER_CENTURY;
    // Days into the estimated year, with their fraction.
    const double yearDay = TruncMod(days, DATE_DAYS_PER_YEAR);
    const int wholeDay = TruncateToInt32(yearDay);
    EstimatedDate date;
    // The month counts whole days, while the day below keeps the fraction, so
    // the two can disagree near a month's end (day 30.5 is month 1, day 1).
    date.month = TruncateToInt32(wholeDay / DATE_DAYS_PER_MONTH + 1.0);
    date.day = AddSaturating(TruncateToInt32(TruncMod(yearDay, DATE_DAYS_PER_MONTH)), 1);
    date.year = AddSaturating(TruncateToInt32(days / DATE_DAYS_PER_YEAR), START_YEAR);
    return date;
}

// Cuts a lone lead byte of a double-byte character off the end of a text that
// was cut short: a reader that steps character by character would otherwise
// step over the terminating zero.
void DropSplitCharacter(char* text) {
    std::size_t index = 0;
    while (text[index] != '\0') {
        const unsigned char byte = static_cast<unsigned char>(text[index]);
        const bool leadByte = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
        if (!leadByte) {
            index += 1;
        } else if (text[index + 1] == '\0') {
            text[index] = '\0';
            return;
        } else {
            index += 2;
        }
    }
}

// Copies a fixed text with its terminating zero; the compiler checks that it fits.
template <std::size_t capacity, std::size_t length>
void CopyText(char (&buffer)[capacity], const char (&text)[length]) {
    static_assert(length <= capacity, "the text and its terminating zero must fit the buffer");
    std::memcpy(buffer, text, length);
}

// Drops z: the picture is the projection onto the ecliptic plane.
PlanetPoint ProjectOntoEcliptic(EclipticPosition position) {
    return {position.x, position.y};
}

}  // namespace

SceneSnapshot ComposeScene(double T, ViewSettings settings) {
    const EstimatedDate date = EstimateDate(T);

    // The status text. Every write is bounded by its buffer: the shell's
    // settings always fit, but a huge interval or size is cut short, never
    // written past the end.
    char intervalText[STATUS_TEXT_CAPACITY];
    FormatFixedHalfUp(intervalText, sizeof intervalText, settings.interval, INTERVAL_DECIMALS);
    const int statusLength =
        std::snprintf(statusText, sizeof statusText, STATUS_TEXT_FORMAT, date.year, date.month,
                      date.day, intervalText, settings.size);
    if (statusLength >= static_cast<int>(sizeof statusText)) {
        DropSplitCharacter(statusText);
    }

    // The three fixed labels, rewritten on every composition like the status text.
    CopyText(namesLabel, NAMES_LABEL_TEXT);
    CopyText(equinoxLabel, EQUINOX_LABEL_TEXT);
    CopyText(longitudeLabel, LONGITUDE_LABEL_TEXT);

    SceneSnapshot snapshot;
    snapshot.statusText = statusText;
    snapshot.namesLabel = namesLabel;
    snapshot.equinoxLabel = equinoxLabel;
    snapshot.longitudeLabel = longitudeLabel;

    // One scratch element record per planet, discarded on return.
    OrbitElements elements[PLANET_COUNT] = {};
    snapshot.positions[MERCURY] = ProjectOntoEcliptic(MercuryPosition(elements[MERCURY], T));
    snapshot.positions[VENUS] = ProjectOntoEcliptic(VenusPosition(elements[VENUS], T));
    snapshot.positions[EARTH] = ProjectOntoEcliptic(EarthPosition(elements[EARTH], T));
    snapshot.positions[MARS] = ProjectOntoEcliptic(MarsPosition(elements[MARS], T));
    snapshot.positions[JUPITER] = ProjectOntoEcliptic(JupiterPosition(elements[JUPITER], T));
    snapshot.positions[SATURN] = ProjectOntoEcliptic(SaturnPosition(elements[SATURN], T));
    return snapshot;
}
