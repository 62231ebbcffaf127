// A checking child that fails as the tests of the parent's side need:
//   adrsbook-faultychild --check-book <source> <target>
// crashes, hangs or allocates without end, as ADRSBOOK_CHECK_FAULT says
// (crash, hang, memory), before it reads anything.

#include <cstdlib>
#include <cstring>
#include <vector>

int main() {
    const char* fault = std::getenv("ADRSBOOK_CHECK_FAULT");
    if (!fault || std::strcmp(fault, "crash") == 0) std::abort();
    if (std::strcmp(fault, "hang") == 0) {
        volatile unsigned spin = 0;
        for (;;)
            spin = spin + 1;
    }
    std::vector<char*> held;
    for (;;) {
        char* block = static_cast<char*>(std::malloc(64 << 20));
        if (!block) std::abort();
        for (int i = 0; i < (64 << 20); i += 4096)
            block[i] = 1;
        held.push_back(block);
    }
}
