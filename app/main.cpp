#include "app/Application.h"

int main(int ArgumentCount, char* Arguments[]) {
  return kvetro::RunApplication(ArgumentCount, Arguments);
}
