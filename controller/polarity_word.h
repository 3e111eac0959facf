#pragma once
// The polarity and encoder choices as one number. The controller's POL command and the
// parameter file both carry them, with bit layouts that agree up to Z Index and differ from the
// encoder on: the file gives the encoder three bits of its own (x1 included), which moves the
// four choices after it up by one bit.

#include "controller/setup_panel.h"

#include <cstdint>

namespace setup {

// One Low/High choice.
struct PolarityChoice {
    const char* caption; // as the window labels it: "Dir", "Z Index", "SA Err" ...
    bool SetupPanel::*low;
    bool SetupPanel::*high;
    int32_t polarityBit; // in the POL word
    int32_t fileBit;     // in the parameter file's word
    // Dir, Limit, Home, Latch and Z Index select Low for a clear bit; the four after the encoder
    // only lose their High choice, and Low stays as it was.
    bool clearBitSelectsLow;
};

inline constexpr PolarityChoice kPolarityChoices[] = {
    {"Dir", &SetupPanel::DirPolLow, &SetupPanel::DirPolHigh, 2, 2, true},
    {"Limit", &SetupPanel::LimitPolLow, &SetupPanel::LimitPolHigh, 16, 16, true},
    {"Home", &SetupPanel::HomePolLow, &SetupPanel::HomePolHigh, 32, 32, true},
    {"Latch", &SetupPanel::LatchPolLow, &SetupPanel::LatchPolHigh, 64, 64, true},
    {"Z Index", &SetupPanel::ZPolLow, &SetupPanel::ZPolHigh, 128, 128, true},
    {"Output", &SetupPanel::OutPolLow, &SetupPanel::OutPolHigh, 1024, 2048, false},
    {"Input", &SetupPanel::InPolLow, &SetupPanel::InPolHigh, 2048, 4096, false},
    {"SA Err", &SetupPanel::SAPolLow, &SetupPanel::SAPolHigh, 4096, 8192, false},
    {"Enable", &SetupPanel::EOPolLow, &SetupPanel::EOPolHigh, 8192, 16384, false},
};

// The encoder's three options; x1 has no bit of its own in the POL word.
struct EncoderOption {
    const char* caption; // "1X", "2X", "4X"
    bool SetupPanel::*member;
    int32_t polarityBit;
    int32_t fileBit;
};

inline constexpr EncoderOption kEncoderOptions[] = {
    {"1X", &SetupPanel::EncoderX1, 0, 256},
    {"2X", &SetupPanel::EncoderX2, 256, 512},
    {"4X", &SetupPanel::EncoderX4, 512, 1024},
};

// The largest word either layout can hold; anything above it (or below 0) is no polarity word.
inline constexpr int32_t kLargestPolarityWord = 16383;
inline constexpr int32_t kLargestFilePolarityWord = 32767;

// Sum of the bits of the High choices and the encoder choice, as "POL=" sends it.
int32_t PolarityWord(const SetupPanel& panel);
// The same choices in the parameter file's layout.
int32_t FilePolarityWord(const SetupPanel& panel);

// Sets the choices from a POL reply: x1 when neither encoder bit is set, else x2 and then x4
// for each bit that is.
void applyPolarityWord(int32_t word, SetupPanel& panel);
// Sets the choices from line 1 of a parameter file: each encoder bit that is set selects its
// option (the last one wins); with none set the encoder stays as it was.
void applyFilePolarityWord(int32_t word, SetupPanel& panel);

// Selects one option of a choice, as clicking it would.
void selectEncoder(const EncoderOption& option, SetupPanel& panel);

} // namespace setup
