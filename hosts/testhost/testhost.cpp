/* testhost.cpp: placeholder until the scriptable test host lands. */
