#pragma once
// Resource ids shared by the program and its resource script (plain defines:
// the resource compiler reads this file too).

#define TAVRO_IDI_APP 1
#define TAVRO_IDI_HAND 2
#define TAVRO_IDR_BACKGROUND 101
#define TAVRO_IDR_LOGO 102
#define TAVRO_IDR_DONATE 103
