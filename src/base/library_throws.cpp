// Where the C++ standard library throws: the std::__throw_* functions that
// its headers call when a string grows too long, an index is out of range,
// memory runs out, and so on. The library's own definitions construct
// std::length_error and its kin, whose message is a reference-counted
// string; linking them brings in both of the library's string
// implementations and its exception classes, about 88 KB, more than a third
// of the program. Defined here, they are the ones linked (the linker takes
// an archive's member only for a symbol still missing), and the program
// ships without those objects.
//
// Each throws what the library throws, as far as anyone catching it can
// tell: the same standard class where the library throws one without a
// message (std::bad_alloc, std::bad_cast, ...), and otherwise an exception
// derived from std::exception whose what() is the library's own text. The
// program catches only Failure, std::bad_alloc and std::exception, so the
// error trap reports exactly what it reported before.
//
// Built into the shipping program, the installer's custom-action DLL and
// the native unit tests, whose test of these checks each one; the Windows
// test programs link the library's own.
#include <bits/functexcept.h>

#include <cstdarg>
#include <cstddef>
#include <exception>
#include <new>
#include <typeinfo>

namespace {

// An exception with the library's message, kept in the exception object
// itself, as no string may be allocated while reporting a failure.
class LibraryError : public std::exception {
public:
    explicit LibraryError(const char* text) {
        char* out = text_;
        while (*text && out < text_ + sizeof text_ - 1) *out++ = *text++;
        *out = '\0';
    }

    // The message after printf-like formatting of `format` with `args`: the
    // few forms the library uses, %s, %zu and %%. A message longer than the
    // buffer is cut short.
    LibraryError(const char* format, std::va_list args) {
        char* out = text_;
        char* const end = text_ + sizeof text_ - 1;
        for (const char* f = format; *f && out < end; ++f) {
            if (f[0] == '%' && f[1] == '%') {
                *out++ = '%';
                ++f;
            } else if (f[0] == '%' && f[1] == 's') {
                for (const char* s = va_arg(args, const char*); *s && out < end; ++s) *out++ = *s;
                ++f;
            } else if (f[0] == '%' && f[1] == 'z' && f[2] == 'u') {
                char digits[24];
                int count = 0;
                std::size_t n = va_arg(args, std::size_t);
                do {
                    digits[count++] = static_cast<char>('0' + n % 10);
                    n /= 10;
                } while (n);
                while (count && out < end) *out++ = digits[--count];
                f += 2;
            } else {
                *out++ = *f;
            }
        }
        *out = '\0';
    }

    const char* what() const noexcept override { return text_; }

private:
    char text_[512];
};

}  // namespace

namespace std {

void __throw_bad_exception() { throw std::bad_exception(); }
void __throw_bad_alloc() { throw std::bad_alloc(); }
void __throw_bad_array_new_length() { throw std::bad_array_new_length(); }
void __throw_bad_cast() { throw std::bad_cast(); }
void __throw_bad_typeid() { throw std::bad_typeid(); }
void __throw_logic_error(const char* text) { throw LibraryError(text); }
void __throw_domain_error(const char* text) { throw LibraryError(text); }
void __throw_invalid_argument(const char* text) { throw LibraryError(text); }
void __throw_length_error(const char* text) { throw LibraryError(text); }
void __throw_out_of_range(const char* text) { throw LibraryError(text); }
void __throw_runtime_error(const char* text) { throw LibraryError(text); }
void __throw_range_error(const char* text) { throw LibraryError(text); }
void __throw_overflow_error(const char* text) { throw LibraryError(text); }
void __throw_underflow_error(const char* text) { throw LibraryError(text); }

void __throw_out_of_range_fmt(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    LibraryError error(format, args);
    va_end(args);
    throw error;
}

}  // namespace std
