// Numbers in attribute text, read as atof/atoi read them (white space skipped, reading stops at
// the first character that cannot continue the number, no number reads as 0) and written with
// "%f". An absent attribute reads as the given default.
#pragma once

class TiXmlElement;

float readFloat(const TiXmlElement* element, const char* name, float absent = 0.0f);
int readInt(const TiXmlElement* element, const char* name, int absent = 0);
void writeFloat(TiXmlElement* element, const char* name, float value);  // "%f", six decimals
