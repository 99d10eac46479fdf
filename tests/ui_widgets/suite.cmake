# The buttons' icons and cursor come from the program's embedded resources.
veilbox_add_resources(test_${suite})
