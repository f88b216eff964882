#error "Core code must not include widget headers: put window code in the corvane_ui library."
