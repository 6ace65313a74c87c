#include "numtext/fieldio.h"

#include "numtext/failure.h"
#include "numtext/fields.h"

namespace brimalox {
namespace {

template <typename T>
T readNumber(const Form& form, Field field, Parsed<T> (*parse)(std::string_view)) {
    const std::string text = form.text(field);
    const Parsed<T> parsed = parse(text);
    if (!parsed.ok()) {
        const FailureKind kind =
            parsed.error == ParseError::Overflow ? FailureKind::Overflow : FailureKind::TypeMismatch;
        throw ClickFailure(FailureFamily::Conversion, kind, readingStep(field), field, text);
    }
    return parsed.value;
}

}  // namespace

std::string readingStep(Field field) {
    const FieldInfo& info = fieldInfo(field);
    return "reading the " + std::string(info.role) + " (" + std::string(info.name) + ")";
}

float readSingle(const Form& form, Field field) { return readNumber<float>(form, field, parseSingle); }
double readDouble(const Form& form, Field field) { return readNumber<double>(form, field, parseDouble); }

}  // namespace brimalox
