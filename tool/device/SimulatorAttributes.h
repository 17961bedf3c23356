// The attributes the simulated gateway keeps as one key each of its profile:
// for each class and attribute, the section and key, how the text is answered
// and how a written value is stored. One table for every class, instead of a
// ladder of cases per class.
#pragma once

#include <cstdint>
#include <span>

#include "tool/device/ProductCatalogue.h"
#include "tool/device/SimulatorProfile.h"

namespace gantry::tool {

// How a profile text is answered and a written value stored.
enum class SimValue {
    Byte,           // answered: the number ("0x" for hexadecimal) as a byte; stored: decimal
    Word,           // the same, as a 16-bit word
    Long,           // the same, as a 32-bit long
    DecimalByte,    // answered: the text read as decimal; stored: decimal
    DecimalWord,    // the same, as a word
    Flag,           // answered as DecimalByte; stored: "1" for any non-zero byte, else "0"
    Hundreds,       // answered: the decimal text / 100 as a word; stored: the word * 100
    Choice,         // answered: the index of a name (or a number); stored: the name
    Revision,       // "major.minor" as two bytes
    DeviceName,     // the 64-bit J1939 NAME in hexadecimal
    AddressList,    // a count byte and that many addresses, stored as hexadecimal pairs
    ShortText,      // a length byte and the text
    InterfaceType,  // an interface type's name or number, as a byte
    StoredByte,     // complete mode's own keys: answered as Byte, but a key never
    StoredWord,     // written answers 0x14; stored in decimal
};

struct SimAttribute {
    std::uint16_t classId;
    int attribute;
    const char* section;
    const char* key;
    SimValue value;
    bool writable;
    bool completeOnly;                        // answered only in complete mode
    std::span<const char* const> names = {};  // Choice
    int emptyChoice = -1;                     // Choice: the index an empty text reads as, -1 none
};

// The attribute of the class, or nothing when the gateway has none there (or
// only in complete mode, and `complete` is false).
const SimAttribute* FindSimAttribute(std::uint16_t classId, int attribute, bool complete);

// Answers the attribute from the profile.
void AnswerSimAttribute(const SimAttribute& attribute, const CSimFile& file, SimReply& reply);
// Stores the request's value of a writable attribute in the profile.
void StoreSimAttribute(const SimAttribute& attribute, const SimRequest& request, CSimFile& file);

}  // namespace gantry::tool
