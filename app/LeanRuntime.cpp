// Linked only into the shipped program (and the benchmark's yardsticks), never into the tests.
//
// The program is built without exceptions, but the C++ library it links statically was built with
// them. Its allocation function and its error reports (a string past its maximum size, a position out
// of range, a null pointer taken for text) throw, and throwing drags in the exception runtime, the
// threads library it locks with, the terminate handler, the demangler the handler prints with, and the
// C library's formatted output the demangler uses: several times the size of our own code.
//
// None of these failures is one the program could recover from, so each ends the process the way the
// C library reports a fatal error. Defining them here keeps the library's throwing versions from
// being linked at all: a link that still pulls them in fails with a duplicate definition.
#include <cstdlib>
#include <new>

void* operator new(std::size_t size)
{
    // The one allocation size that must still give a distinct pointer.
    if (void* block = std::malloc(size ? size : 1))
        return block;
    std::abort();
}

void operator delete(void* block) noexcept
{
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    std::free(block);
}

// GNU's library reports its errors through these; other libraries neither declare nor call them.
#if defined(__GLIBCXX__)
namespace std {

// One failure a line reads best.
// clang-format off
void __throw_bad_exception() { abort(); }
void __throw_bad_alloc() { abort(); }
void __throw_bad_array_new_length() { abort(); }
void __throw_bad_cast() { abort(); }
void __throw_bad_typeid() { abort(); }
void __throw_logic_error(const char*) { abort(); }
void __throw_domain_error(const char*) { abort(); }
void __throw_invalid_argument(const char*) { abort(); }
void __throw_length_error(const char*) { abort(); }
void __throw_out_of_range(const char*) { abort(); }
void __throw_out_of_range_fmt(const char*, ...) { abort(); }
void __throw_runtime_error(const char*) { abort(); }
void __throw_range_error(const char*) { abort(); }
void __throw_overflow_error(const char*) { abort(); }
void __throw_underflow_error(const char*) { abort(); }
void __throw_ios_failure(const char*) { abort(); }
void __throw_ios_failure(const char*, int) { abort(); }
void __throw_system_error(int) { abort(); }
void __throw_future_error(int) { abort(); }
void __throw_bad_function_call() { abort(); }
// clang-format on

}  // namespace std
#endif
