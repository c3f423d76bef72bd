in;sp1;pu100,100;pd200,200;pa0,0;lb text;
