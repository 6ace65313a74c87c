#include <iostream>

int main() {
    std::cout << "146\n";
    return 0;
}
