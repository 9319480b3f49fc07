// Flat settings serialisation: static helpers that store and retrieve single
// values through a moving cursor, with a count of bytes left and of bytes done.
// Integers are big-endian; doubles lie as in memory (least significant first).
// Each helper returns false, touching nothing, when fewer bytes are left than
// the value needs.
#pragma once

#include <cstdint>

#include "Vorlat/VorlatExport.h"
#include "Vorlat/VorlatTypes.h"

class VORLAT_API IVorlatState {
protected:
    virtual ~IVorlatState();

public:
    virtual int32_t GetStateSize() const = 0;
    virtual bool StoreState(unsigned char** cursor, int32_t* left, int32_t* done) const = 0;
    virtual bool RetrieveState(unsigned char** cursor, int32_t* left, int32_t* done) = 0;
    virtual VorlatClassID GetStateClassID() const = 0;

    static bool StoreBool(bool value, unsigned char** cursor, int32_t* left, int32_t* done);
    static bool StoreChar(char value, unsigned char** cursor, int32_t* left, int32_t* done);
    static bool StoreShort(int16_t value, unsigned char** cursor, int32_t* left, int32_t* done);
    static bool StoreLong(int32_t value, unsigned char** cursor, int32_t* left, int32_t* done);
    static bool StoreByte(unsigned char value, unsigned char** cursor, int32_t* left, int32_t* done);
    static bool StoreWord(uint16_t value, unsigned char** cursor, int32_t* left, int32_t* done);
    static bool StoreDword(uint32_t value, unsigned char** cursor, int32_t* left, int32_t* done);
    static bool StoreDouble(double value, unsigned char** cursor, int32_t* left, int32_t* done);
    static bool StoreClassID(const VorlatClassID& value, unsigned char** cursor, int32_t* left, int32_t* done);
    static bool StoreRect(const RECT& value, unsigned char** cursor, int32_t* left, int32_t* done);

    static bool RetrieveBool(bool* value, unsigned char** cursor, int32_t* left, int32_t* done);
    static bool RetrieveChar(char* value, unsigned char** cursor, int32_t* left, int32_t* done);
    static bool RetrieveShort(int16_t* value, unsigned char** cursor, int32_t* left, int32_t* done);
    static bool RetrieveLong(int32_t* value, unsigned char** cursor, int32_t* left, int32_t* done);
    static bool RetrieveByte(unsigned char* value, unsigned char** cursor, int32_t* left, int32_t* done);
    static bool RetrieveWord(uint16_t* value, unsigned char** cursor, int32_t* left, int32_t* done);
    static bool RetrieveDword(uint32_t* value, unsigned char** cursor, int32_t* left, int32_t* done);
    static bool RetrieveDouble(double* value, unsigned char** cursor, int32_t* left, int32_t* done);
    static bool RetrieveClassID(VorlatClassID* value, unsigned char** cursor, int32_t* left, int32_t* done);
    static bool RetrieveRect(RECT* value, unsigned char** cursor, int32_t* left, int32_t* done);

    static int32_t SizeofBool() { return 1; }
    static int32_t SizeofChar() { return 1; }
    static int32_t SizeofShort() { return 2; }
    static int32_t SizeofLong() { return 4; }
    static int32_t SizeofByte() { return 1; }
    static int32_t SizeofWord() { return 2; }
    static int32_t SizeofDword() { return 4; }
    static int32_t SizeofDouble() { return 8; }
    static int32_t SizeofClassID() { return 16; }
    static int32_t SizeofRect() { return 16; }
};
