#include "controller/polarity_word.h"

namespace setup {

namespace {

using BitOf = int32_t PolarityChoice::*;
using EncoderBitOf = int32_t EncoderOption::*;

int32_t wordFrom(const SetupPanel& panel, BitOf choiceBit, EncoderBitOf encoderBit) {
    int32_t word = 0;
    for (const PolarityChoice& choice : kPolarityChoices)
        if (panel.*choice.high) word += choice.*choiceBit;
    for (const EncoderOption& option : kEncoderOptions)
        if (panel.*option.member) word += option.*encoderBit;
    return word;
}

void applyChoices(int32_t word, SetupPanel& panel, BitOf choiceBit) {
    for (const PolarityChoice& choice : kPolarityChoices) {
        const bool set = (word & choice.*choiceBit) != 0;
        panel.*choice.high = set;
        if (set)
            panel.*choice.low = false;
        else if (choice.clearBitSelectsLow)
            panel.*choice.low = true;
    }
}

} // namespace

void selectEncoder(const EncoderOption& chosen, SetupPanel& panel) {
    for (const EncoderOption& option : kEncoderOptions)
        panel.*option.member = &option == &chosen;
}

int32_t PolarityWord(const SetupPanel& panel) {
    return wordFrom(panel, &PolarityChoice::polarityBit, &EncoderOption::polarityBit);
}

int32_t FilePolarityWord(const SetupPanel& panel) {
    return wordFrom(panel, &PolarityChoice::fileBit, &EncoderOption::fileBit);
}

void applyPolarityWord(int32_t word, SetupPanel& panel) {
    applyChoices(word, panel, &PolarityChoice::polarityBit);
    selectEncoder(kEncoderOptions[0], panel);
    for (const EncoderOption& option : kEncoderOptions)
        if (option.polarityBit != 0 && (word & option.polarityBit) != 0)
            selectEncoder(option, panel);
}

void applyFilePolarityWord(int32_t word, SetupPanel& panel) {
    applyChoices(word, panel, &PolarityChoice::fileBit);
    for (const EncoderOption& option : kEncoderOptions)
        if ((word & option.fileBit) != 0) selectEncoder(option, panel);
}

} // namespace setup
