#include "store/ZKMainDef.h"

TZKMainDef &ZKMainDef()
{
    static TZKMainDef instance;
    return instance;
}
