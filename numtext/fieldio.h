#pragma once
// Reading a field as a number and writing a number into a field; a text that is not a number ends
// the click with a conversion failure that names the field.

#include "numtext/form.h"
#include "numtext/numtext.h"

namespace brimalox {

float readSingle(const Form& form, Field field);
double readDouble(const Form& form, Field field);

// "reading the frequency field (Text2)", for failure messages.
std::string readingStep(Field field);

}  // namespace brimalox
