#pragma once
// COMPUTE on the window's start-up texts (146.00 MHz, 1.626 mm): what each form shows.
#include <map>

#include "numtext/form.h"

namespace brimalox::testing {

inline const std::map<Field, const char*> kDefaultThreeSided{
    {Field::Text23, "421.2329"}, {Field::Text22, "16.5839716393178"},
    {Field::Text13, "718.234"},  {Field::Text11, "28.277"},
    {Field::Text17, "266.718"},  {Field::Text16, "10.501"},
    {Field::Text20, "9.67"},     {Field::Text19, "0.381"}};
inline const std::map<Field, const char*> kDefaultFourSided{
    {Field::Text23, "421.2329"}, {Field::Text22, "16.5839716393178"},
    {Field::Text13, "679.027"},  {Field::Text11, "26.733"},
    {Field::Text17, "391.212"},  {Field::Text16, "15.402"},
    {Field::Text20, "9.67"},     {Field::Text19, "0.381"}};

}  // namespace brimalox::testing
