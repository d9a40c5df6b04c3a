#include "engine/dsp/rate/RateConversionCode.h"

RateConversionCode GetRateConversionCode(uint32_t inputRate, uint32_t outputRate)
{
    int base = -1;
    switch (inputRate)
    {
    case 44100:
        base = 0;
        break;
    case 48000:
        base = 6;
        break;
    case 88200:
        base = 10;
        break;
    case 96000:
        base = 14;
        break;
    default:
        return -1;
    }
    switch (outputRate)
    {
    case 44100:
        return base;
    case 48000:
        return base + 1;
    case 88200:
        return base + 2;
    case 96000:
        return base + 3;
    default:
        return -1;
    }
}
