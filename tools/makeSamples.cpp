// PLACEHOLDER: replaced by the sample generator.
int main()
{
    return 0;
}
