/* greet.c: asks for a name, reads it key by key with cgetc() and greets
   it. The test bench's cc65 test builds it with cl65 -t osic1p, boots it
   with typed keys and waits for the greeting. (cc65's conio scrolls badly
   in cputs, so the program stays on the first rows.) */
#include <conio.h>

int main(void)
{
    char name[16];
    unsigned char length = 0;
    char c;

    clrscr();
    cputs("NAME?");
    while ((c = cgetc()) != '\r') {
        if (length < sizeof name - 1) {
            name[length++] = c;
            cputc(c);
        }
    }
    name[length] = '\0';
    gotoxy(0, 2);
    cputs("HELLO, ");
    cputs(name);
    for (;;) {
    }
    return 0;
}
