// A program that only carries version information for the tests to read.
int main()
{
    return 0;
}
