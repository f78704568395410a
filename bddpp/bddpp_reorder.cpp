// Reordering of the manager's engine on request. Names are kept by id, so
// they follow their variables to the new indexes without any work here.
#include "bddpp/bddpp_manager.h"

void bddpp_manager::Bdd_var_reorder() {
  bdd_dynamic_reordering(internal_man, bdd_reorder_stable_window3);
  bdd_reorder(internal_man);
}
